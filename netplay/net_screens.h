// What network play shows of its own: a joined machine's lobby (who is connected, who plays
// which slot with which keys) and the messages that end a session or a match.
#pragma once

#include <cstdint>
#include <string>

#include "net/protocol.h"

struct Game;

inline constexpr const char* kConnecting = "CONNECTING TO THE HOST";
inline constexpr const char* kWaitingForHost = "WAITING FOR THE HOST TO START";
inline constexpr const char* kHostUnreachable = "THE HOST CANNOT BE REACHED";
inline constexpr const char* kHostGone = "THE HOST HAS GONE";
inline constexpr const char* kChecksumsDiffer = "CHECKSUMS DIFFER: MATCH STOPPED";
inline constexpr const char* kHostGoneInMatch = "THE HOST HAS GONE: MATCH STOPPED";
// The session's control messages could not be sent: network play is over for this machine.
inline constexpr const char* kNetworkFailed = "NETWORK PLAY ENDED: MESSAGES PILED UP";
// How long a message that ends a session or a match stays up (Enter or Esc cut it short).
inline constexpr uint32_t kNetMessageMs = 3000;

const char* refusalText(net::RefusalReason reason);
// The line under a refusal for another version: both machines' versions, e.g.
// "HOST 77AB0012, THIS MACHINE 3FA2B1C0"; empty for the other refusals.
std::string refusalDetail(net::RefusalReason reason, uint32_t hostVersion, uint32_t ownVersion);

// Composes and shows the lobby: the machines, the slots with their keys and who plays them
// (`self` marks this machine), and a status line.
void drawLobby(Game& game, const net::Lobby& lobby, uint8_t self, const char* status);
// Shows `text` (and `detail` under it) alone on the screen for kNetMessageMs, and as one
// line on standard error.
void showNetEnding(Game& game, const char* text, const std::string& detail = {});
