#pragma once

#include "platform/win/Win.h"

namespace platform {

// A control of the layer's own making that answers its messages and its window text itself. The
// layer asks it first and falls back to its default handling for messages it leaves alone.
class CustomControl {
public:
    virtual ~CustomControl();

    // Handles message and stores its answer in result; false leaves the message to the layer.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    virtual CString WindowText() const = 0;
    // Takes the text over; the caller's string is left empty.
    virtual void SetWindowText(CString&& text) = 0;
};

} // namespace platform
