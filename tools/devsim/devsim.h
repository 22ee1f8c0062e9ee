#pragma once
// roamdock-devsim: plays one or many devices for tests, demos and benchmarks. Each protocol side
// is a responder of its own on the shared io_context; devices and the recorder are shared.

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

/// One simulated device.
struct SimDevice {
    std::string strId;
    std::string strHost;
    std::string strVendor;
    std::string strProduct;
    int nType = 1;
};

/// Reads "id=A1 host=box vendor=VANTRO product=P type=1": blank-separated name=value fields, any
/// order, type optional (1). Values hold no blanks. False with `strError` on an unknown name, a
/// field without "=", a type outside 0..255 or a line without id.
bool ParseDeviceLine(const std::string& strLine, SimDevice& device, std::string& strError);
/// One device per line; empty lines and lines starting with "#" are skipped.
bool LoadDevices(const std::string& strPath, std::vector<SimDevice>& devices, std::string& strError);
/// `nCount` devices named SIM0001/sim-1, SIM0002/sim-2, ... of `strVendor`.
std::vector<SimDevice> GeneratedDevices(int nCount, const std::string& strVendor);
/// A file's bytes, as a raw reply; false when it cannot be read.
bool ReadWholeFile(const std::string& strPath, std::string& strData);

/// Appends one line per datagram received: "<side> <from-ip> <from-port> <len> <hex bytes>".
class CDatagramRecorder {
public:
    bool Open(const std::string& strPath);
    void Record(const char* pszSide, const boost::asio::ip::udp::endpoint& from, const char* pData,
                std::size_t nLen);
    ~CDatagramRecorder();

private:
    std::mutex m_mutex;
    std::FILE* m_pFile = nullptr;
};

/// What the program was asked to play.
struct SimConfig {
    std::vector<SimDevice> devices;
    std::vector<std::string> rawReplies;
    std::string strBindAddress = "0.0.0.0";
    unsigned short nBroadcastPort = 68;
};

/// The broadcast side: answers every 148-byte datagram whose first byte is 11.
class CBroadcastResponder {
public:
    CBroadcastResponder(boost::asio::io_context& io, const SimConfig& config, CDatagramRecorder& recorder);
    /// Opens and binds the socket and starts receiving; false with `strError` on failure.
    bool Open(std::string& strError);
    /// The 148-byte reply of one device: op 12, its type byte, "id=…&host=…&vendor=…&product=…".
    static std::string BuildReply(const SimDevice& device);

private:
    void Receive();
    void Answer(std::size_t nLen);

    const SimConfig& m_config;
    CDatagramRecorder& m_recorder;
    boost::asio::ip::udp::socket m_socket;
    boost::asio::ip::udp::endpoint m_from;
    std::vector<std::string> m_replies;
    char m_buffer[2048];
};
