#include "discovery/device_record.h"

#include <cstring>

namespace {

/// Copies one text field as a string of at most 32 characters, zero-padded. The last byte is
/// forced to NUL so a record built from an unterminated source never carries an unterminated text.
void CopyText(char (&target)[32], const char (&source)[32]) {
    const std::size_t nLen = strnlen(source, sizeof(target) - 1);
    std::memmove(target, source, nLen);
    std::memset(target + nLen, 0, sizeof(target) - nLen);
}

} // namespace

void InitDevice(DeviceRecord* pDevice) {
    // Whole-value clear, padding included, so records compare and copy as plain bytes.
    std::memset(pDevice, 0, sizeof(DeviceRecord));
    pDevice->type = 0;
    pDevice->reservedValue = 60;
}

void AssignDevice(DeviceRecord* pTarget, const DeviceRecord* pSource) {
    if (pTarget == pSource) {
        return;
    }
    CopyText(pTarget->id, pSource->id);
    CopyText(pTarget->ip, pSource->ip);
    CopyText(pTarget->host, pSource->host);
    CopyText(pTarget->product, pSource->product);
    CopyText(pTarget->extra, pSource->extra);
    CopyText(pTarget->version, pSource->version);
    CopyText(pTarget->vendor, pSource->vendor);
    pTarget->reservedFlag = pSource->reservedFlag;
    pTarget->type = pSource->type;
    pTarget->reservedValue = pSource->reservedValue;
}

bool IsSameDevice(const DeviceRecord* pLeft, const DeviceRecord* pRight) {
    constexpr std::size_t nMax = sizeof(pLeft->id);
    return std::strncmp(pLeft->id, pRight->id, nMax) == 0 && std::strncmp(pLeft->ip, pRight->ip, nMax) == 0 &&
           std::strncmp(pLeft->host, pRight->host, nMax) == 0 &&
           std::strncmp(pLeft->product, pRight->product, nMax) == 0 &&
           std::strncmp(pLeft->extra, pRight->extra, nMax) == 0 &&
           std::strncmp(pLeft->version, pRight->version, nMax) == 0 &&
           std::strncmp(pLeft->vendor, pRight->vendor, nMax) == 0;
}

void InitSearchCommand(DhcpPacket* pdhcp) {
    std::memset(pdhcp, 0, sizeof(DhcpPacket));
    pdhcp->op = 11;
    pdhcp->type = 1;
    std::memset(pdhcp->address, 255, sizeof(pdhcp->address));
}
