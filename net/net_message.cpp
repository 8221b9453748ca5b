#include "net/net_message.h"

int NetMessageSize(uint8_t type) {
  switch (type) {
    case kMsgPlayerLeft: return kMsgPlayerLeftSize;
    case kMsgPlayerJoined:
    case kMsgPlayerEntry: return kMsgPlayerJoinedSize;
    case kMsgChat: return kMsgChatSize;
    case kMsgLobbyPlayer:
    case kMsgLobbyClaim:
    case kMsgLobbyAnswer: return 32;
    case kMsgLobbyStart: return 284;
    case kMsgLobbySavedGame: return 288;
    case kMsgPlayerBlock: return kMsgPlayerBlockSize;
    case kMsgBlockRequest: return kMsgShortSize;
    case kMsgInput: return kMsgInputSize;
    case kMsgResendRequest: return kMsgResendRequestSize;
    case kMsgEventEnd: return kMsgShortSize;
    case kMsgDropVote: return kMsgShortSize;
    default: return -1;
  }
}

bool DecodeNetMessage(int from, const uint8_t* data, size_t size, DecodedNetMessage* out) {
  if (!data || size < 4 || size > 0xFFFF) return false;
  const uint8_t type = data[0];
  const int want = NetMessageSize(type);
  if (want < 0 || static_cast<size_t>(want) != size) return false;
  if (NetGetU16(data + 2) != size) return false;
  const bool system = type <= kMsgChat;
  if (system) {
    // Only the session itself says who left or joined.
    if (from != kNetSystemSender) return false;
  } else if (from < 0 || from >= 4) {
    return false;
  }
  DecodedNetMessage m;
  m.type = type;
  m.from = from;
  m.body = data;
  m.size = static_cast<int>(size);
  switch (type) {
    case kMsgPlayerLeft:
    case kMsgPlayerJoined:
    case kMsgPlayerEntry:
    case kMsgChat:
      m.slot = NetGetI32(data + 8);
      if (m.slot < 0 || m.slot >= 4) return false;
      m.flag = data[12];
      break;
    case kMsgPlayerBlock:
      m.flag = data[4];
      break;
    case kMsgInput:
      m.syncPoint = NetGetI32(data + 8);
      m.check = NetGetI32(data + 12);
      break;
    case kMsgResendRequest:
      m.syncPoint = NetGetI32(data + 8);
      break;
    default:
      break;
  }
  *out = m;
  return true;
}
