#include "HostInfo.h"

#include <QByteArray>
#include <QStringList>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

std::function<QString()>& userSource()
{
    static std::function<QString()> s;
    return s;
}

std::function<HostInfo::HostAddress()>& addressSource()
{
    static std::function<HostInfo::HostAddress()> s;
    return s;
}

QString systemUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size < 1024)
        size = 1024;
    std::vector<char> buffer(static_cast<size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found
        || !found->pw_name)
        return QString();
    return QString::fromLocal8Bit(found->pw_name);
}

bool isLoopback(const in_addr& a) { return (ntohl(a.s_addr) >> 24) == 127; }

QString dotted(const in_addr& a)
{
    const quint32 v = ntohl(a.s_addr);
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xff).arg((v >> 8) & 0xff).arg(v & 0xff);
}

// The IPv4 addresses the host's own name resolves to, in the resolver's order.
std::vector<in_addr> resolvedAddresses(const QByteArray& host)
{
    std::vector<in_addr> out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.constData(), nullptr, &hints, &list) != 0)
        return out;
    for (addrinfo* p = list; p; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr)
            out.push_back(reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr);
    }
    freeaddrinfo(list);
    return out;
}

// The IPv4 addresses of the interfaces that are up.
std::vector<in_addr> interfaceAddresses()
{
    std::vector<in_addr> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (p->ifa_addr && p->ifa_addr->sa_family == AF_INET)
            out.push_back(reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr);
    }
    freeifaddrs(list);
    return out;
}

HostInfo::HostAddress systemHostAndAddress()
{
    HostInfo::HostAddress result;
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return result;
    result.host = QString::fromLocal8Bit(name);

    // Many systems resolve their own name to a loopback address; the first
    // real address wins, from the name first and then from the interfaces.
    const std::vector<in_addr> named = resolvedAddresses(QByteArray(name));
    std::vector<in_addr> candidates = named;
    const std::vector<in_addr> up = interfaceAddresses();
    candidates.insert(candidates.end(), up.begin(), up.end());
    for (const in_addr& a : candidates) {
        if (!isLoopback(a)) {
            result.address = dotted(a);
            return result;
        }
    }
    if (!named.empty())
        result.address = dotted(named.front());
    return result;
}

} // namespace

namespace HostInfo {

QString userName()
{
    return userSource() ? userSource()() : systemUserName();
}

HostAddress hostAndAddress()
{
    return addressSource() ? addressSource()() : systemHostAndAddress();
}

void setUserNameSource(std::function<QString()> source) { userSource() = std::move(source); }
void setAddressSource(std::function<HostAddress()> source) { addressSource() = std::move(source); }

} // namespace HostInfo
