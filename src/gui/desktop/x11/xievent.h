// The pointer's events as Qt takes them, through the X Input extension
// (version 2): a button press is one of its device events, as the server
// sends it with the event's full sequence number that xcb puts in after the
// first 32 bytes. Only the fields up to the position are read.
#pragma once

#include <cstdint>
#include <xcb/xcb.h>

namespace zentova
{

struct XiDeviceEvent {
    uint8_t responseType; // XCB_GE_GENERIC
    uint8_t extension;
    uint16_t sequence;
    uint32_t length;
    uint16_t eventType;
    uint16_t device;
    uint32_t time;
    uint32_t detail; // the button
    uint32_t root;
    uint32_t event; // the window
    uint32_t child;
    uint32_t fullSequence; // xcb's
    int32_t rootX;         // 16.16 fixed point
    int32_t rootY;
    int32_t eventX;
    int32_t eventY;
};
constexpr uint16_t XiButtonPress = 4;

// The extension's opcode on `c`, 0 where it has none.
uint8_t inputExtensionOf(xcb_connection_t *c);

// The connection Qt talks to the X server on; none under another platform.
xcb_connection_t *qtConnection();

} // namespace zentova
