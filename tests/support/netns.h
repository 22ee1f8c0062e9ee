#pragma once
// A private network for one test: a host namespace where the engine runs and device namespaces
// behind it, joined by veth pairs over one bridge per link. Nothing of it touches the machine's
// own interfaces; the namespaces go away with the object, and those left by a killed run are
// removed the next time a network is made.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

/// True when namespaces can be made here (root and the `ip` tool); otherwise `why` says what is
/// missing, for GTEST_SKIP.
bool NetnsAvailable(std::string& why);

/// Runs `argv` (never through a shell) and waits; returns the exit status, -1 when it could not
/// run. Standard output and error go to `pOutput` when given.
int RunCommand(const std::vector<std::string>& argv, std::string* pOutput = nullptr);

/// A program running inside a namespace through `ip netns exec`, stopped with the object.
/// Its standard output is read through a pipe, so a test can wait for its ready line.
class CNetnsProcess {
public:
    CNetnsProcess() = default;
    CNetnsProcess(const std::string& strNamespace, const std::vector<std::string>& argv);
    CNetnsProcess(CNetnsProcess&& other) noexcept;
    CNetnsProcess& operator=(CNetnsProcess&& other) noexcept;
    CNetnsProcess(const CNetnsProcess&) = delete;
    CNetnsProcess& operator=(const CNetnsProcess&) = delete;
    ~CNetnsProcess();

    bool Running() const { return m_pid > 0; }
    /// Reads output until a line containing `strText` arrives; false on end of output or time-out.
    bool WaitForLine(const std::string& strText, std::chrono::milliseconds timeout);
    /// Everything read from the program's output so far.
    const std::string& Output() const { return m_strOutput; }
    /// SIGTERM, then SIGKILL if it has not ended within `grace`. Returns the wait status, or -1.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(3));

private:
    pid_t m_pid = -1;
    int m_nOutputFd = -1;
    std::string m_strOutput;
};

class CTestNetwork {
public:
    /// Creates the host namespace (loopback up). `strTag` only makes names readable.
    explicit CTestNetwork(const std::string& strTag);
    CTestNetwork(const CTestNetwork&) = delete;
    CTestNetwork& operator=(const CTestNetwork&) = delete;
    /// Returns the calling thread to its namespace if EnterHost moved it, deletes every namespace.
    ~CTestNetwork();

    /// False when a step failed; Error() says which.
    bool Ok() const { return m_strError.empty(); }
    const std::string& Error() const { return m_strError; }

    const std::string& HostNamespace() const { return m_strHost; }

    /// Adds a link (a bridge in the host namespace) with the host address `strHostCidr`
    /// ("10.0.0.5/24"). The first link carries the host's default route, so 255.255.255.255 and
    /// multicast groups leave through it. Returns the link's index, -1 on failure.
    int AddLink(const std::string& strHostCidr);
    /// Adds one more address to the host on link `nLink`.
    bool AddHostAddress(int nLink, const std::string& strCidr);
    /// Adds a device namespace on link `nLink` with the address `strDeviceCidr`, loopback up and a
    /// default route on its interface. Returns the namespace's name, empty on failure.
    std::string AddDevice(int nLink, const std::string& strDeviceCidr);

    /// Moves the calling thread into the host namespace; sockets it opens afterwards, and threads
    /// it starts afterwards, live there.
    bool EnterHost();
    /// Moves the calling thread back to where EnterHost found it.
    bool LeaveHost();

    /// Runs `fn` on a new thread inside namespace `strNamespace` and waits for it.
    bool RunIn(const std::string& strNamespace, const std::function<void()>& fn);
    /// Starts a program inside a namespace of this network.
    CNetnsProcess Start(const std::string& strNamespace, const std::vector<std::string>& argv);

private:
    bool Ip(const std::vector<std::string>& args);
    void Fail(const std::string& strWhat);

    std::string m_strPrefix;
    std::string m_strHost;
    std::vector<std::string> m_devices;
    int m_nLinks = 0;
    int m_nVeths = 0;
    int m_nSavedNetFd = -1;
    std::string m_strError;
};
