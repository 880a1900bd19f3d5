#include "platform/pad_slots.h"

namespace platform {

namespace {

constexpr int kNoSlot = -1;

}  // namespace

uint16_t stickAlong(uint16_t bits, PadButton negative, PadButton positive, int value) {
    if (value <= -kStickPress) bits |= padBit(negative);
    if (value > -kStickRelease) bits &= uint16_t(~padBit(negative));
    if (value >= kStickPress) bits |= padBit(positive);
    if (value < kStickRelease) bits &= uint16_t(~padBit(positive));
    return bits;
}

const PadSlots::Controller* PadSlots::find(int id) const {
    for (const Controller& controller : controllers_) {
        if (controller.present && controller.id == id) return &controller;
    }
    return nullptr;
}

PadSlots::Controller* PadSlots::find(int id) {
    return const_cast<Controller*>(static_cast<const PadSlots*>(this)->find(id));
}

bool PadSlots::connect(int id) {
    if (find(id) != nullptr) return true;
    for (Controller& controller : controllers_) {
        if (controller.present) continue;
        controller = Controller{};
        controller.present = true;
        controller.id = id;
        controller.connectedOrder = ++connections_;
        giveFreeSlots();
        return true;
    }
    return false;
}

void PadSlots::disconnect(int id) {
    Controller* controller = find(id);
    if (controller == nullptr) return;
    const int slot = controller->slot;
    if (slot != kNoSlot) {
        controller->buttons = 0;
        controller->stick = 0;
        report(*controller);
    }
    *controller = Controller{};
    if (slot == kNoSlot) return;
    out_.push(Event{EventKind::PadRemoved, 0, false, slot});
    giveFreeSlots();
}

void PadSlots::setButtons(int id, uint16_t bits) {
    Controller* controller = find(id);
    if (controller == nullptr || controller->buttons == bits) return;
    controller->buttons = bits;
    report(*controller);
}

void PadSlots::setStick(int id, uint16_t bits) {
    Controller* controller = find(id);
    if (controller == nullptr || controller->stick == bits) return;
    controller->stick = bits;
    report(*controller);
}

uint16_t PadSlots::buttons(int id) const {
    const Controller* controller = find(id);
    return controller != nullptr ? controller->buttons : 0;
}

uint16_t PadSlots::stick(int id) const {
    const Controller* controller = find(id);
    return controller != nullptr ? controller->stick : 0;
}

int PadSlots::slotOf(int id) const {
    const Controller* controller = find(id);
    return controller != nullptr ? controller->slot : kNoSlot;
}

void PadSlots::clear() { controllers_.fill(Controller{}); }

// While a slot is free and a controller waits: the one connected first takes the lowest
// free slot, and the game hears of the buttons it already holds.
void PadSlots::giveFreeSlots() {
    for (;;) {
        bool taken[kMaxPads] = {};
        Controller* waiting = nullptr;
        for (Controller& controller : controllers_) {
            if (!controller.present) continue;
            if (controller.slot != kNoSlot) {
                taken[controller.slot] = true;
            } else if (!waiting || controller.connectedOrder < waiting->connectedOrder) {
                waiting = &controller;
            }
        }
        int freeSlot = kNoSlot;
        for (int slot = kMaxPads - 1; slot >= 0; --slot) {
            if (!taken[slot]) freeSlot = slot;
        }
        if (!waiting || freeSlot == kNoSlot) return;
        waiting->slot = freeSlot;
        waiting->reported = 0;
        out_.push(Event{EventKind::PadAdded, 0, false, freeSlot});
        report(*waiting);
    }
}

// Tells the game of every button whose state changed since it was last told.
void PadSlots::report(Controller& controller) {
    if (controller.slot == kNoSlot) return;
    const uint16_t down = controller.buttons | controller.stick;
    for (int b = 0; b < kPadButtonCount; ++b) {
        const uint16_t bit = uint16_t(1u << b);
        if ((down & bit) == (controller.reported & bit)) continue;
        const EventKind kind = (down & bit) != 0 ? EventKind::PadDown : EventKind::PadUp;
        out_.push(Event{kind, 0, false, controller.slot, static_cast<PadButton>(b)});
    }
    controller.reported = down;
}

}  // namespace platform
