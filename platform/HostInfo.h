#pragma once
#include <QString>
#include <functional>
#include <vector>

// What the operating system says about the running program's user and the
// computer it runs on.
namespace HostInfo {

// The log-on name of the user who runs the process, from the system's
// account database; empty when it cannot be read.
QString userName();

// The computer's name and its first IPv4 address in dotted form. A real
// address is preferred to a loopback one; both empty parts when nothing
// can be found.
struct HostAddress {
    QString host;
    QString address;
};
HostAddress hostAndAddress();

// The address reported, from the addresses the host's name resolves to and
// those of its interfaces that are up (IPv4, host byte order, in the order
// found): the first that is not a loopback address; else the name's first;
// else "".
QString chooseAddress(const std::vector<quint32>& named, const std::vector<quint32>& interfaces);

// Tests may stand in for the system: an empty function restores it.
void setUserNameSource(std::function<QString()> source);
void setAddressSource(std::function<HostAddress()> source);

} // namespace HostInfo
