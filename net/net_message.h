#pragma once
// Layout of the messages the game sends through the network session, and the
// one checked decoder every receiver goes through. Every message starts with
// a 4-byte header: u8 type, u8 0, u16 total size (little-endian).
//
// Nothing a remote machine sends is trusted: a message is only handed on when
// its declared size equals the size received, its type is known and has that
// exact size, and every player slot in it names one of the four players.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/byte_order.h"

// Sender of the messages the session makes itself (player left/joined, ...).
inline constexpr int kNetSystemSender = -1;
// Send addresses besides a slot number.
inline constexpr int kNetToAll = -3;         // every player, the sender too
inline constexpr int kNetToAllButSelf = -5;  // every player but the sender

// Session messages (made by the session itself, sender kNetSystemSender).
inline constexpr uint8_t kMsgPlayerLeft = 0;    // +8 i32 slot, +12 u8 was host
inline constexpr uint8_t kMsgPlayerJoined = 1;  // +8 i32 slot, +12 u8 is host, +16 name
inline constexpr uint8_t kMsgPlayerEntry = 2;   // as joined: a player already there
inline constexpr uint8_t kMsgChat = 3;          // +8 i32 from slot, +12 text
inline constexpr int kMsgPlayerLeftSize = 16;
inline constexpr int kMsgPlayerJoinedSize = 32;
inline constexpr int kMsgChatSize = 48;
inline constexpr int kNetNameSize = 16;      // names travel as 15 characters and a zero
inline constexpr int kChatTextMax = 32;      // the chat line takes 32 characters

// Lobby messages (carried, decoded by the lobby).
inline constexpr uint8_t kMsgLobbyPlayer = 0x30;
inline constexpr uint8_t kMsgLobbyClaim = 0x31;
inline constexpr uint8_t kMsgLobbyAnswer = 0x32;
inline constexpr uint8_t kMsgLobbyStart = 0x33;
inline constexpr uint8_t kMsgLobbySavedGame = 0x39;

// Lock-step messages.
inline constexpr uint8_t kMsgPlayerBlock = 0x34;    // 280: +4 flag, +8 four player records
inline constexpr uint8_t kMsgBlockRequest = 0x35;   // 6
inline constexpr uint8_t kMsgInput = 0x36;          // 36: +8 sync point, +12 check, +16 state, +26 output
inline constexpr uint8_t kMsgResendRequest = 0x37;  // 12: +8 sync point wanted
inline constexpr uint8_t kMsgEventEnd = 0x38;       // 6: +4 1, +5 last frame played (low byte)
inline constexpr uint8_t kMsgDropVote = 0x3a;       // 6: +4 1
inline constexpr int kMsgPlayerBlockSize = 280;
inline constexpr int kMsgInputSize = 36;
inline constexpr int kMsgResendRequestSize = 12;
inline constexpr int kMsgShortSize = 6;

inline uint16_t NetGetU16(const uint8_t* p) { return GetLe16(p); }
inline int32_t NetGetI32(const uint8_t* p) { return static_cast<int32_t>(GetLe32(p)); }
inline void NetPutU16(uint8_t* p, uint16_t v) { PutLe16(p, v); }
inline void NetPutI32(uint8_t* p, int32_t v) { PutLe32(p, static_cast<uint32_t>(v)); }
// Writes the common header into a zeroed buffer of `size` bytes.
inline void NetPutHeader(uint8_t* p, uint8_t type, uint16_t size) {
  p[0] = type;
  p[1] = 0;
  NetPutU16(p + 2, size);
}
// Copies a name into a fixed field, cut to fit and always zero-terminated.
inline void NetPutName(uint8_t* dst, size_t fieldSize, const char* name) {
  std::memset(dst, 0, fieldSize);
  if (!name) return;
  size_t n = strnlen(name, fieldSize - 1);
  std::memcpy(dst, name, n);
}
// Reads a fixed name field that may lack its zero into a terminated buffer.
inline void NetGetName(const uint8_t* src, size_t fieldSize, char* out, size_t outSize) {
  size_t n = 0;
  while (n < fieldSize && n + 1 < outSize && src[n] != 0) {
    out[n] = static_cast<char>(src[n]);
    ++n;
  }
  out[n] = 0;
}

// The expected total size of a message type, or -1 for a type no one knows.
int NetMessageSize(uint8_t type);

// A lock-step or session message after the checks above.
struct DecodedNetMessage {
  uint8_t type = 0;
  int from = 0;             // sender slot 0..3, or kNetSystemSender
  int slot = -1;            // player left/joined/entry: the slot named at +8
  int32_t syncPoint = 0;    // input and resend request
  int32_t check = 0;        // input
  uint8_t flag = 0;         // player block flag; was-host byte of player left
  const uint8_t* body = nullptr;  // the whole message (size bytes)
  int size = 0;
};

// Checks one received message. Returns false, leaving `out` unspecified, for
// anything that must be dropped: short, long, a declared size other than the
// received one, an unknown type, a sender or slot outside 0..3, a session
// message (types 0..3) from a player, or a lock-step message from the session.
bool DecodeNetMessage(int from, const uint8_t* data, size_t size, DecodedNetMessage* out);
