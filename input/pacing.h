// The message pump and the waits built on it. Every loop of the game calls these; the pump
// is where presses and releases of keys and pads reach the key table and where Ctrl switches
// pacingOn. No wait spins: between polls it blocks on the platform's event wait for the time
// left, so a key wakes it at once.
#pragma once

#include <cstdint>

struct Devices;

// One unit of the WAIT setting: a round frame at WAIT n lasts n of these.
inline constexpr uint32_t kWaitUnitMs = 4;

// Takes every pending event and acts on it (keys, Ctrl, game controllers, and the endings:
// Pause, right button, window close, quit request, which throw ProgramExit{0}, and the
// display's loss, which throws ProgramExit{1}), presses again
// the keys of held pad buttons whose repeat is due, and presents the shown page when a
// refresh is due. Never waits, except that a pump finding nothing right after
// another pump found nothing in the same millisecond first waits out that millisecond
// for an event (unless Ctrl is held), so a loop that only pumps does not spin.
void pumpMessages(Devices& devices);
// Like pumpMessages, but first waits at most maxWaitMs for an event to arrive (and no
// longer than until a held pad button's next repeat).
void pumpMessagesWaiting(Devices& devices, uint32_t maxWaitMs);

void markFrameStart(Devices& devices);
// Pumps at least once; then, while pacingOn, until ms have passed since the mark.
void waitSinceMark(Devices& devices, uint32_t ms);
// Pumps once; then, while pacingOn, until n * kWaitUnitMs have passed since the call.
void busyDelay(Devices& devices, int32_t n);

// Makes the Screen's waits for the display (Flip, WaitVerticalBlank) pump messages while
// they wait, and end at once while Ctrl is held.
void installScreenWaitHook(Devices& devices);
