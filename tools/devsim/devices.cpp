#include "tools/devsim/devsim.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

bool ParseDeviceLine(const std::string& strLine, SimDevice& device, std::string& strError) {
    device = SimDevice();
    std::istringstream fields(strLine);
    std::string strField;
    while (fields >> strField) {
        const std::size_t nEqual = strField.find('=');
        if (nEqual == std::string::npos) {
            strError = "field without '=': " + strField;
            return false;
        }
        const std::string strName = strField.substr(0, nEqual);
        const std::string strValue = strField.substr(nEqual + 1);
        if (strName == "id") {
            device.strId = strValue;
        } else if (strName == "host") {
            device.strHost = strValue;
        } else if (strName == "vendor") {
            device.strVendor = strValue;
        } else if (strName == "product") {
            device.strProduct = strValue;
        } else if (strName == "type") {
            char* pEnd = nullptr;
            const long nType = std::strtol(strValue.c_str(), &pEnd, 10);
            if (strValue.empty() || *pEnd != '\0' || nType < 0 || nType > 255) {
                strError = "type must be 0 to 255: " + strValue;
                return false;
            }
            device.nType = static_cast<int>(nType);
        } else {
            strError = "unknown field: " + strName;
            return false;
        }
    }
    if (device.strId.empty()) {
        strError = "device without id";
        return false;
    }
    return true;
}

bool LoadDevices(const std::string& strPath, std::vector<SimDevice>& devices, std::string& strError) {
    std::ifstream file(strPath);
    if (!file) {
        strError = "cannot read " + strPath;
        return false;
    }
    std::string strLine;
    int nLine = 0;
    while (std::getline(file, strLine)) {
        ++nLine;
        const std::size_t nFirst = strLine.find_first_not_of(" \t\r");
        if (nFirst == std::string::npos || strLine[nFirst] == '#') {
            continue;
        }
        SimDevice device;
        std::string strLineError;
        if (!ParseDeviceLine(strLine, device, strLineError)) {
            strError = strPath + ":" + std::to_string(nLine) + ": " + strLineError;
            return false;
        }
        devices.push_back(device);
    }
    return true;
}

std::vector<SimDevice> GeneratedDevices(int nCount, const std::string& strVendor) {
    std::vector<SimDevice> devices;
    for (int i = 1; i <= nCount; ++i) {
        char szId[16];
        std::snprintf(szId, sizeof(szId), "SIM%04d", i);
        SimDevice device;
        device.strId = szId;
        device.strHost = "sim-" + std::to_string(i);
        device.strVendor = strVendor;
        device.strProduct = "RoamDock";
        devices.push_back(device);
    }
    return devices;
}

bool ReadWholeFile(const std::string& strPath, std::string& strData) {
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        return false;
    }
    strData.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool CDatagramRecorder::Open(const std::string& strPath) {
    m_pFile = std::fopen(strPath.c_str(), "a");
    return m_pFile != nullptr;
}

void CDatagramRecorder::Record(const char* pszSide, const boost::asio::ip::udp::endpoint& from,
                               const char* pData, std::size_t nLen) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pFile == nullptr) {
        return;
    }
    std::fprintf(m_pFile, "%s %s %u %zu ", pszSide, from.address().to_string().c_str(),
                 static_cast<unsigned>(from.port()), nLen);
    for (std::size_t i = 0; i < nLen; ++i) {
        std::fprintf(m_pFile, "%02x", static_cast<unsigned char>(pData[i]));
    }
    std::fputc('\n', m_pFile);
    // Tests read the file while the simulator still runs.
    std::fflush(m_pFile);
}

CDatagramRecorder::~CDatagramRecorder() {
    if (m_pFile != nullptr) {
        std::fclose(m_pFile);
    }
}
