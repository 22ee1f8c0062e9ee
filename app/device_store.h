#pragma once
// The process-wide list of accepted devices between the discovery engine and the main dialog.
// Boost/std only: it builds and is tested without Qt.

#include "discovery/device_record.h"

#include <mutex>
#include <string>
#include <vector>

/// Accepted devices in the order they were first accepted; at most one record per `ip`.
struct DeviceStore {
    /// Positions are stable: an update keeps a record's place, only a removal closes the gap.
    std::vector<DeviceRecord> m_records;
    /// Guards m_records. Taken inside the engine's g_findDeviceMutex on worker threads, alone on
    /// the main thread; never held while calling out of the store.
    std::mutex m_lock;
};

/// The process-wide store, created on first use.
DeviceStore& GetDeviceStore();

/// Sets the engine's configuration (log off, callback OnStoreFindDevice, interface refresh on)
/// and starts discovery. Always 0.
int StartDeviceStore(DeviceStore& store);

/// The engine callback: type 1 or 2 merges, type 4 removes by id, anything else is ignored.
/// Runs on discovery threads against GetDeviceStore(). Always 0.
int OnStoreFindDevice(const DeviceRecord* record, int nPort);

/// Drops a record whose vendor is not ORBIT5, VANTRO or NEXLA (any letter case); otherwise updates the same
/// device or the same ip in place, or appends.
void AddOrUpdateDevice(DeviceStore& store, const DeviceRecord& record);

/// Erases the first record whose id equals strId (exact); later ones with that id stay.
void RemoveDeviceById(DeviceStore& store, const std::string& strId);

void ClearDevices(DeviceStore& store);

/// A copy of the records, taken under the lock; empty if the copy cannot be allocated.
std::vector<DeviceRecord> CopyDevices(DeviceStore& store);
