#pragma once
// The records that cross the engine's borders: the found device handed to the application
// and the 148-byte broadcast search packet.

#include <cstdint>

/// One found device. A plain fixed-size value, copied whole; every text is NUL-terminated
/// within its 32 bytes and zero-filled behind the terminator.
struct DeviceRecord {
    char id[32];
    char ip[32];
    char host[32];
    char product[32];
    char extra[32];
    char version[32];
    char vendor[32];
    uint8_t reservedFlag;
    int32_t type;
    int64_t reservedValue;
};
static_assert(sizeof(DeviceRecord) == 240, "DeviceRecord is a 240-byte plain value");

/// The application's callback; `record` is valid only during the call. The result is ignored.
using FindDeviceCallback = int (*)(const DeviceRecord* record, int nPort);

#pragma pack(push, 1)
/// The engine's own broadcast wire format. Multi-byte fields are little-endian on the wire.
struct DhcpPacket {
    uint8_t op;
    uint8_t type;
    uint8_t reserved1;
    uint8_t reserved2;
    uint8_t address[4];
    uint32_t reserved3;
    uint32_t reserved4;
    uint32_t reserved5;
    char text[128];
};
#pragma pack(pop)
static_assert(sizeof(DhcpPacket) == 148, "DhcpPacket is exactly 148 bytes on the wire");

/// Clear: texts and reservedFlag zero, type 0, reservedValue 60.
void InitDevice(DeviceRecord* pDevice);
/// Copy every field; texts as strings of at most 32 characters, zero-padded.
void AssignDevice(DeviceRecord* pTarget, const DeviceRecord* pSource);
/// Same device when all seven texts are equal (type and the reserved fields take no part).
bool IsSameDevice(const DeviceRecord* pLeft, const DeviceRecord* pRight);

/// The broadcast search command: op 11, type 1, address 255.255.255.255, everything else zero.
void InitSearchCommand(DhcpPacket* pdhcp);
