// roamdock-devsim: answers the discovery searches of Vantro Roamdock as one or many devices.
// Meant to run inside a private network namespace (ip netns exec NAME roamdock-devsim ...).

#include "tools/devsim/devsim.h"
#include "tools/devsim/multicast_responder.h"

#include <boost/asio/signal_set.hpp>
#include <boost/program_options.hpp>

#include <csignal>
#include <iostream>
#include <memory>

namespace po = boost::program_options;

namespace {

const char kUsage[] = R"(Usage: roamdock-devsim [options]

Plays discovery devices on this host. Run it inside a private network namespace.

Broadcast side: listens on UDP port 68 (any address, broadcast on) and answers every 148-byte
datagram whose first byte is 11 with one 148-byte reply per device (op 12, the device's type byte,
text "id=...&host=...&vendor=...&product=..."), sent to the querier's address and port; then
the raw replies, if any.

Multicast side: every device joins 239.143.255.250 on port 1900 and answers each M-SEARCH whose ST
is urn:schemas-upnp-org:device:HomeNasDevice:1 with an HTTP answer (LOCATION, SERVER, ST, USN) sent
to the searcher's address and port, after a random delay within the request's MX seconds (bounded
by --max-delay-ms). With --notify it sends NOTIFY ssdp:alive at start (and every --notify-period
seconds) and ssdp:byebye when it stops. SIGUSR1 sends an ssdp:byebye round, SIGUSR2 an ssdp:alive
round, at any time.

Device file: one device per line, blank-separated name=value fields in any order:
    id=A1 host=box vendor=VANTRO product=P type=1
id is required; type (0 to 255) defaults to 1; values hold no blanks. Empty lines and lines
starting with # are skipped.

Prints "roamdock-devsim: ready" once its sockets are open; ends cleanly on SIGTERM or SIGINT.

Options)";

} // namespace

int main(int argc, char** argv) {
    po::options_description options(kUsage);
    // clang-format off
    options.add_options()
        ("help,h", "show this text")
        ("devices", po::value<std::string>(), "read the devices from FILE")
        ("count", po::value<int>(), "add N generated devices (SIM0001/sim-1, ...)")
        ("vendor", po::value<std::string>()->default_value("VANTRO"), "vendor of the generated devices")
        ("raw", po::value<std::vector<std::string>>()->composing(),
         "also answer with FILE's bytes as they are (repeatable; for malformed replies)")
        ("record", po::value<std::string>(),
         "append every received datagram to FILE: \"<side> <from-ip> <from-port> <len> <hex>\"")
        ("bind", po::value<std::string>()->default_value("0.0.0.0"), "local address to listen on")
        ("broadcast-port", po::value<unsigned short>()->default_value(68), "broadcast side's port")
        ("no-multicast", "do not play the multicast side")
        ("multicast-port", po::value<unsigned short>()->default_value(1900), "multicast side's port")
        ("location-ip", po::value<std::string>(), "address in LOCATION (default: this host's first IPv4)")
        ("firmware", po::value<std::string>()->default_value("1.0.3"), "firmware version after ZELK/")
        ("max-delay-ms", po::value<int>()->default_value(-1),
         "longest answer delay in ms; the request's MX bounds it too (-1: MX only, 0: answer at once)")
        ("notify", "send ssdp:alive at start and ssdp:byebye at stop")
        ("notify-period", po::value<int>()->default_value(0), "seconds between further ssdp:alive rounds")
        ("raw-answer", po::value<std::vector<std::string>>()->composing(),
         "also answer each M-SEARCH with FILE's bytes as they are (repeatable, sent in order)")
        ("raw-notify", po::value<std::vector<std::string>>()->composing(),
         "also send FILE's bytes to the group with each announcement round (repeatable)");
    // clang-format on

    po::variables_map vm;
    try {
        po::store(po::parse_command_line(argc, argv, options), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        std::cerr << "roamdock-devsim: " << e.what() << "\n";
        return 2;
    }
    if (vm.count("help")) {
        std::cout << options << std::endl;
        return 0;
    }

    SimConfig config;
    std::string strError;
    if (vm.count("devices") && !LoadDevices(vm["devices"].as<std::string>(), config.devices, strError)) {
        std::cerr << "roamdock-devsim: " << strError << "\n";
        return 2;
    }
    if (vm.count("count")) {
        const int nCount = vm["count"].as<int>();
        if (nCount < 0) {
            std::cerr << "roamdock-devsim: --count must not be negative\n";
            return 2;
        }
        const std::vector<SimDevice> generated = GeneratedDevices(nCount, vm["vendor"].as<std::string>());
        config.devices.insert(config.devices.end(), generated.begin(), generated.end());
    }
    if (vm.count("raw")) {
        for (const std::string& strPath : vm["raw"].as<std::vector<std::string>>()) {
            std::string strData;
            if (!ReadWholeFile(strPath, strData)) {
                std::cerr << "roamdock-devsim: cannot read " << strPath << "\n";
                return 2;
            }
            config.rawReplies.push_back(strData);
        }
    }
    MulticastSimConfig mcConfig;
    mcConfig.bEnabled = vm.count("no-multicast") == 0;
    mcConfig.nPort = vm["multicast-port"].as<unsigned short>();
    if (vm.count("location-ip")) {
        mcConfig.strLocationIP = vm["location-ip"].as<std::string>();
    }
    mcConfig.strFirmware = vm["firmware"].as<std::string>();
    mcConfig.nMaxDelayMs = vm["max-delay-ms"].as<int>();
    mcConfig.bNotify = vm.count("notify") != 0;
    mcConfig.nNotifyPeriod = vm["notify-period"].as<int>();
    for (const char* pszOption : {"raw-answer", "raw-notify"}) {
        if (!vm.count(pszOption)) {
            continue;
        }
        for (const std::string& strPath : vm[pszOption].as<std::vector<std::string>>()) {
            std::string strData;
            if (!ReadWholeFile(strPath, strData)) {
                std::cerr << "roamdock-devsim: cannot read " << strPath << "\n";
                return 2;
            }
            (std::string(pszOption) == "raw-answer" ? mcConfig.rawAnswers : mcConfig.rawNotifies)
                .push_back(strData);
        }
    }
    config.strBindAddress = vm["bind"].as<std::string>();
    config.nBroadcastPort = vm["broadcast-port"].as<unsigned short>();

    CDatagramRecorder recorder;
    if (vm.count("record") && !recorder.Open(vm["record"].as<std::string>())) {
        std::cerr << "roamdock-devsim: cannot write " << vm["record"].as<std::string>() << "\n";
        return 2;
    }

    boost::asio::io_context io;
    std::unique_ptr<CMulticastResponder> pMulticast;
    boost::asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&io, &pMulticast](const boost::system::error_code&, int) {
        // Devices that announced themselves say goodbye before the program ends.
        if (pMulticast) {
            pMulticast->Stop();
        }
        io.stop();
    });

    CBroadcastResponder broadcast(io, config, recorder);
    if (!broadcast.Open(strError)) {
        std::cerr << "roamdock-devsim: " << strError << "\n";
        return 1;
    }

    if (mcConfig.bEnabled) {
        pMulticast = std::make_unique<CMulticastResponder>(io, config, mcConfig, recorder);
        if (!pMulticast->Open(strError)) {
            std::cerr << "roamdock-devsim: " << strError << "\n";
            return 1;
        }
    }

    std::cout << "roamdock-devsim: ready, " << config.devices.size() << " device(s)" << std::endl;
    io.run();
    return 0;
}
