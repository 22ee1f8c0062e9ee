#include "tests/support/netns.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

namespace {

/// Every namespace of these tests starts with this, followed by the owner's pid and a dash.
const char kNamePrefix[] = "rdtest-";

std::atomic<int> g_nNetworkCounter{0};

std::string IpTool() {
    for (const char* pszPath : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"}) {
        if (access(pszPath, X_OK) == 0) {
            return pszPath;
        }
    }
    return "ip";
}

/// argv as the char* array execv wants; built before fork so the child only calls exec.
std::vector<char*> ArgvPointers(std::vector<std::string>& args) {
    std::vector<char*> pointers;
    for (std::string& arg : args) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

/// Namespace names may hold only a few safe characters; the tag is for people reading `ip netns`.
std::string CleanTag(const std::string& strTag) {
    std::string strClean;
    for (char c : strTag) {
        const bool bKeep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        strClean += bKeep ? c : '_';
        if (strClean.size() >= 24) {
            break;
        }
    }
    return strClean;
}

/// Removes namespaces left by test processes that no longer exist.
void RemoveStaleNamespaces() {
    DIR* pDir = opendir("/run/netns");
    if (pDir == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    const std::size_t nPrefix = std::strlen(kNamePrefix);
    while (dirent* pEntry = readdir(pDir)) {
        const std::string strName = pEntry->d_name;
        if (strName.compare(0, nPrefix, kNamePrefix) != 0) {
            continue;
        }
        const long nPid = std::strtol(strName.c_str() + nPrefix, nullptr, 10);
        if (nPid > 0 && kill(static_cast<pid_t>(nPid), 0) != 0 && errno == ESRCH) {
            stale.push_back(strName);
        }
    }
    closedir(pDir);
    for (const std::string& strName : stale) {
        RunCommand({IpTool(), "netns", "del", strName});
    }
}

bool EnterNamespaceFile(const std::string& strPath) {
    const int nFd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) {
        return false;
    }
    const bool bOk = setns(nFd, CLONE_NEWNET) == 0;
    close(nFd);
    return bOk;
}

} // namespace

bool NetnsAvailable(std::string& why) {
    if (geteuid() != 0) {
        why = "needs root: these tests build private network namespaces (ip netns, veth pairs)";
        return false;
    }
    std::string strOutput;
    if (RunCommand({IpTool(), "netns", "list"}, &strOutput) != 0) {
        why = "the ip tool (iproute2) cannot list network namespaces: " + strOutput;
        return false;
    }
    return true;
}

int RunCommand(const std::vector<std::string>& argv, std::string* pOutput) {
    if (argv.empty()) {
        return -1;
    }
    std::vector<std::string> args = argv;
    std::vector<char*> pointers = ArgvPointers(args);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        // Sockets of the test (the engine's among them) must not live on in the child.
        close_range(3, ~0U, 0);
        execvp(pointers[0], pointers.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string strOutput;
    char buffer[4096];
    for (;;) {
        const ssize_t nRead = read(pipeFds[0], buffer, sizeof(buffer));
        if (nRead > 0) {
            strOutput.append(buffer, static_cast<std::size_t>(nRead));
        } else if (nRead == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    int nStatus = 0;
    while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (pOutput != nullptr) {
        *pOutput = strOutput;
    }
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

CNetnsProcess::CNetnsProcess(const std::string& strNamespace, const std::vector<std::string>& argv) {
    std::vector<std::string> args = {IpTool(), "netns", "exec", strNamespace};
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> pointers = ArgvPointers(args);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return;
    }
    if (pid == 0) {
        // A killed test must not leave the program running: it dies with its parent.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(127);
        }
        dup2(pipeFds[1], STDOUT_FILENO);
        close_range(3, ~0U, 0);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(pipeFds[1]);
    m_pid = pid;
    m_nOutputFd = pipeFds[0];
}

CNetnsProcess::CNetnsProcess(CNetnsProcess&& other) noexcept
    : m_pid(other.m_pid), m_nOutputFd(other.m_nOutputFd), m_strOutput(std::move(other.m_strOutput)) {
    other.m_pid = -1;
    other.m_nOutputFd = -1;
}

CNetnsProcess& CNetnsProcess::operator=(CNetnsProcess&& other) noexcept {
    if (this != &other) {
        Stop();
        m_pid = other.m_pid;
        m_nOutputFd = other.m_nOutputFd;
        m_strOutput = std::move(other.m_strOutput);
        other.m_pid = -1;
        other.m_nOutputFd = -1;
    }
    return *this;
}

CNetnsProcess::~CNetnsProcess() {
    Stop();
}

bool CNetnsProcess::WaitForLine(const std::string& strText, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (m_strOutput.find(strText) != std::string::npos) {
            return true;
        }
        if (m_nOutputFd < 0) {
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd pfd{m_nOutputFd, POLLIN, 0};
        const int nReady = poll(&pfd, 1, static_cast<int>(left.count()));
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t nRead = read(m_nOutputFd, buffer, sizeof(buffer));
        if (nRead <= 0) {
            close(m_nOutputFd);
            m_nOutputFd = -1;
            continue;
        }
        m_strOutput.append(buffer, static_cast<std::size_t>(nRead));
    }
}

int CNetnsProcess::Stop(std::chrono::milliseconds grace) {
    int nStatus = -1;
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + grace;
        bool bEnded = false;
        while (std::chrono::steady_clock::now() < deadline) {
            const pid_t done = waitpid(m_pid, &nStatus, WNOHANG);
            if (done == m_pid || (done < 0 && errno != EINTR)) {
                bEnded = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!bEnded) {
            kill(m_pid, SIGKILL);
            while (waitpid(m_pid, &nStatus, 0) < 0 && errno == EINTR) {
            }
        }
        m_pid = -1;
    }
    if (m_nOutputFd >= 0) {
        close(m_nOutputFd);
        m_nOutputFd = -1;
    }
    return nStatus;
}

CTestNetwork::CTestNetwork(const std::string& strTag) {
    // Every new network sweeps: a test run may start long after the run that was killed.
    RemoveStaleNamespaces();
    m_strPrefix = std::string(kNamePrefix) + std::to_string(getpid()) + "-" +
                  std::to_string(g_nNetworkCounter.fetch_add(1)) + "-" + CleanTag(strTag);
    m_strHost = m_strPrefix + "-h";
    if (RunCommand({IpTool(), "netns", "add", m_strHost}) != 0) {
        Fail("ip netns add " + m_strHost);
        m_strHost.clear();
        return;
    }
    Ip({"-n", m_strHost, "link", "set", "lo", "up"});
}

CTestNetwork::~CTestNetwork() {
    LeaveHost();
    for (const std::string& strDevice : m_devices) {
        RunCommand({IpTool(), "netns", "del", strDevice});
    }
    if (!m_strHost.empty()) {
        RunCommand({IpTool(), "netns", "del", m_strHost});
    }
}

int CTestNetwork::AddLink(const std::string& strHostCidr) {
    if (m_strHost.empty()) {
        return -1;
    }
    const int nLink = m_nLinks++;
    const std::string strBridge = "br" + std::to_string(nLink);
    // Snooping off: every port hears every group, as on a plain segment.
    bool bOk = Ip({"-n", m_strHost, "link", "add", strBridge, "type", "bridge", "mcast_snooping", "0"}) &&
               Ip({"-n", m_strHost, "addr", "add", strHostCidr, "dev", strBridge}) &&
               Ip({"-n", m_strHost, "link", "set", strBridge, "up"});
    if (bOk && nLink == 0) {
        bOk = Ip({"-n", m_strHost, "route", "add", "default", "dev", strBridge});
    }
    return bOk ? nLink : -1;
}

bool CTestNetwork::AddHostAddress(int nLink, const std::string& strCidr) {
    if (nLink < 0 || nLink >= m_nLinks) {
        Fail("no link " + std::to_string(nLink));
        return false;
    }
    return Ip({"-n", m_strHost, "addr", "add", strCidr, "dev", "br" + std::to_string(nLink)});
}

std::string CTestNetwork::AddDevice(int nLink, const std::string& strDeviceCidr) {
    if (nLink < 0 || nLink >= m_nLinks) {
        Fail("no link " + std::to_string(nLink));
        return std::string();
    }
    const int nVeth = ++m_nVeths;
    const std::string strDevice = m_strPrefix + "-d" + std::to_string(nVeth);
    if (RunCommand({IpTool(), "netns", "add", strDevice}) != 0) {
        Fail("ip netns add " + strDevice);
        return std::string();
    }
    m_devices.push_back(strDevice);
    const std::string strHostEnd = "vh" + std::to_string(nVeth);
    const bool bOk =
        Ip({"-n", strDevice, "link", "set", "lo", "up"}) &&
        Ip({"-n", m_strHost, "link", "add", strHostEnd, "type", "veth", "peer", "name", "eth0", "netns",
            strDevice}) &&
        Ip({"-n", m_strHost, "link", "set", strHostEnd, "master", "br" + std::to_string(nLink)}) &&
        Ip({"-n", m_strHost, "link", "set", strHostEnd, "up"}) &&
        Ip({"-n", strDevice, "addr", "add", strDeviceCidr, "dev", "eth0"}) &&
        Ip({"-n", strDevice, "link", "set", "eth0", "up"}) &&
        Ip({"-n", strDevice, "route", "add", "default", "dev", "eth0"});
    return bOk ? strDevice : std::string();
}

bool CTestNetwork::EnterHost() {
    if (m_strHost.empty()) {
        return false;
    }
    if (m_nSavedNetFd < 0) {
        m_nSavedNetFd = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (m_nSavedNetFd < 0) {
            Fail("cannot open this thread's network namespace");
            return false;
        }
    }
    if (!EnterNamespaceFile("/run/netns/" + m_strHost)) {
        Fail("setns into " + m_strHost + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

bool CTestNetwork::LeaveHost() {
    if (m_nSavedNetFd < 0) {
        return true;
    }
    const bool bOk = setns(m_nSavedNetFd, CLONE_NEWNET) == 0;
    close(m_nSavedNetFd);
    m_nSavedNetFd = -1;
    return bOk;
}

bool CTestNetwork::RunIn(const std::string& strNamespace, const std::function<void()>& fn) {
    bool bEntered = false;
    std::thread worker([&] {
        bEntered = EnterNamespaceFile("/run/netns/" + strNamespace);
        if (bEntered) {
            fn();
        }
    });
    worker.join();
    return bEntered;
}

CNetnsProcess CTestNetwork::Start(const std::string& strNamespace, const std::vector<std::string>& argv) {
    return CNetnsProcess(strNamespace, argv);
}

bool CTestNetwork::Ip(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {IpTool()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string strOutput;
    if (RunCommand(argv, &strOutput) != 0) {
        std::string strLine;
        for (const std::string& arg : args) {
            strLine += " " + arg;
        }
        Fail("ip" + strLine + ": " + strOutput);
        return false;
    }
    return true;
}

void CTestNetwork::Fail(const std::string& strWhat) {
    if (m_strError.empty()) {
        m_strError = strWhat;
    }
}
