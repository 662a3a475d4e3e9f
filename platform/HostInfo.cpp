#include "HostInfo.h"

#include <QByteArray>
#include <QStringList>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
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

bool isLoopback(quint32 a) { return (a >> 24) == 127; }

QString dotted(quint32 v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xff).arg((v >> 8) & 0xff).arg(v & 0xff);
}

// The IPv4 addresses the host's own name resolves to, in the resolver's order.
std::vector<quint32> resolvedAddresses(const QByteArray& host)
{
    std::vector<quint32> out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.constData(), nullptr, &hints, &list) != 0)
        return out;
    for (addrinfo* p = list; p; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr)
            out.push_back(ntohl(reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr));
    }
    freeaddrinfo(list);
    return out;
}

// The IPv4 addresses of the interfaces that are up.
std::vector<quint32> interfaceAddresses()
{
    std::vector<quint32> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return out;
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (p->ifa_addr && p->ifa_addr->sa_family == AF_INET && (p->ifa_flags & IFF_UP))
            out.push_back(ntohl(reinterpret_cast<const sockaddr_in*>(p->ifa_addr)->sin_addr.s_addr));
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

    result.address = HostInfo::chooseAddress(resolvedAddresses(QByteArray(name)), interfaceAddresses());
    return result;
}

} // namespace

namespace HostInfo {

QString chooseAddress(const std::vector<quint32>& named, const std::vector<quint32>& interfaces)
{
    // Many systems resolve their own name to a loopback address; the first
    // real address wins, from the name first and then from the interfaces.
    for (const auto* list : {&named, &interfaces})
        for (const quint32 a : *list)
            if (!isLoopback(a))
                return dotted(a);
    return named.empty() ? QString() : dotted(named.front());
}

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
