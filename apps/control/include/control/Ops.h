// The operations each control socket answers, named once for the hosts that
// answer them and the command that sends them.
#pragma once

#include <array>
#include <string_view>

namespace control::ops {

// Every host, and the supervisor.
inline constexpr const char* kPing = "ping";

// The supervisor.
inline constexpr const char* kStatus = "status";
inline constexpr const char* kStop = "stop";

// Both hosts: what the screen shows now; a touch at a point of the screen,
// through the host's own hit testing; a stream of "my screen changed" events.
inline constexpr const char* kState = "state";
inline constexpr const char* kTouchAt = "touchAt";
inline constexpr const char* kSubscribe = "subscribe";

// SpringBoard.
inline constexpr const char* kTouch = "touch";
inline constexpr const char* kPage = "page";
inline constexpr const char* kScrollWidget = "scrollWidget";
inline constexpr const char* kLegibility = "legibility";
inline constexpr const char* kRespring = "respring";

// Settings.
inline constexpr const char* kSettled = "settled";
inline constexpr const char* kEntries = "entries";
inline constexpr const char* kOpen = "open";
inline constexpr const char* kBack = "back";
inline constexpr const char* kTap = "tap";
inline constexpr const char* kToggle = "toggle";
inline constexpr const char* kSlide = "slide";
inline constexpr const char* kSetColor = "setColor";
inline constexpr const char* kChooseAlertAction = "chooseAlertAction";
inline constexpr const char* kScroll = "scroll";
inline constexpr const char* kTapOptions = "tapOptions";
inline constexpr const char* kChooseMenuAction = "chooseMenuAction";
inline constexpr const char* kMediaTime = "mediaTime";
inline constexpr const char* kAppearance = "appearance";
inline constexpr const char* kResume = "resume";
inline constexpr const char* kSetPickerValue = "setPickerValue";
inline constexpr const char* kSubmitPicker = "submitPicker";
inline constexpr const char* kCancelPicker = "cancelPicker";
inline constexpr const char* kTapBackdrop = "tapBackdrop";
inline constexpr const char* kOpenedURLs = "openedURLs";
inline constexpr const char* kTypeText = "typeText";
inline constexpr const char* kSetRowValue = "setRowValue";
// Reads the entry folders again; answers {"ok": true, "entries": [labels]}.
inline constexpr const char* kRescanEntries = "rescanEntries";
inline constexpr const char* kQuit = "quit";

inline constexpr std::array kSupervisorOps{kPing, kStatus, kStop};
inline constexpr std::array kSpringBoardOps{kPing, kState, kTouchAt, kSubscribe, kTouch, kPage, kScrollWidget, kLegibility, kRespring};
inline constexpr std::array kSettingsOps{
    kPing,           kSettled,          kState,        kEntries,      kOpen,         kBack,
    kTap,            kToggle,           kSlide,        kSetColor,     kChooseAlertAction,
    kScroll,         kTapOptions,       kChooseMenuAction,            kMediaTime,    kAppearance,
    kResume,         kSetPickerValue,   kSubmitPicker, kCancelPicker, kTapBackdrop,  kOpenedURLs,
    kQuit,           kTouchAt,          kSubscribe,    kTypeText,     kSetRowValue,  kRescanEntries};

}  // namespace control::ops
