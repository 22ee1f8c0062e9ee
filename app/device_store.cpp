#include "app/device_store.h"

#include "discovery/engine.h"

#include <cstring>
#include <new>

namespace {

const char* const AcceptedVendors[] = {"ORBIT5", "VANTRO", "NEXLA"};

/// A record's text as a string: up to its terminator, never past its 32 bytes.
std::string FieldText(const char (&szField)[32]) {
    return std::string(szField, strnlen(szField, sizeof(szField)));
}

bool IsAcceptedVendor(const DeviceRecord& record) {
    char szVendor[32] = {};
    std::memcpy(szVendor, record.vendor, strnlen(record.vendor, sizeof(szVendor) - 1));
    for (char& c : szVendor) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    // Seven characters reach past every name's terminator, so a longer vendor never matches.
    for (const char* pszName : AcceptedVendors) {
        if (std::strncmp(szVendor, pszName, 7) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

DeviceStore& GetDeviceStore() {
    // Intentionally never destroyed: a discovery thread may still report during process exit.
    static DeviceStore* pStore = new DeviceStore;
    return *pStore;
}

int StartDeviceStore(DeviceStore& store) {
    (void)store; // the engine reports into GetDeviceStore(), which is this store
    g_bLogEnable = false;
    std::memset(g_szLogPath, 0, sizeof(g_szLogPath));
    g_pfnFindDevice = OnStoreFindDevice;
    g_bRefreshInterfaces = true;
    StartSearchDevice();
    return 0;
}

int OnStoreFindDevice(const DeviceRecord* record, int nPort) {
    (void)nPort;
    DeviceRecord device;
    std::memcpy(&device, record, sizeof(device));
    switch (device.type) {
    case 1:
    case 2:
        AddOrUpdateDevice(GetDeviceStore(), device);
        break;
    case 4:
        RemoveDeviceById(GetDeviceStore(), FieldText(device.id));
        break;
    default:
        break;
    }
    return 0;
}

void AddOrUpdateDevice(DeviceStore& store, const DeviceRecord& record) {
    if (!IsAcceptedVendor(record)) {
        return;
    }
    std::lock_guard<std::mutex> guard(store.m_lock);
    for (DeviceRecord& known : store.m_records) {
        if (IsSameDevice(&known, &record)) {
            known.reservedValue = record.reservedValue;
            return;
        }
        if (std::strncmp(known.ip, record.ip, sizeof(known.ip)) == 0) {
            // Same address, changed texts: the device keeps its place in the list.
            AssignDevice(&known, &record);
            return;
        }
    }
    try {
        store.m_records.push_back(record);
    } catch (const std::bad_alloc&) {
        // Out of memory: the report is dropped, the list stays as it was.
    }
}

void RemoveDeviceById(DeviceStore& store, const std::string& strId) {
    std::lock_guard<std::mutex> guard(store.m_lock);
    for (auto it = store.m_records.begin(); it != store.m_records.end(); ++it) {
        const size_t nLength = strnlen(it->id, sizeof(it->id));
        if (nLength == strId.size() && std::memcmp(it->id, strId.data(), nLength) == 0) {
            store.m_records.erase(it);
            return;
        }
    }
}

void ClearDevices(DeviceStore& store) {
    std::lock_guard<std::mutex> guard(store.m_lock);
    store.m_records.clear();
}

std::vector<DeviceRecord> CopyDevices(DeviceStore& store) {
    std::lock_guard<std::mutex> guard(store.m_lock);
    try {
        return store.m_records;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
