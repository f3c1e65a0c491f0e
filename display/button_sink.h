// ButtonSink: the receiver of soft-button notifications that a manager page
// passes up to its display manager. One soft-button bit (1, 2, 4 or 8) per call.
// No dependencies beyond the basic types.
#pragma once

#include "platform/win32.h"

namespace vareko {

class ButtonSink {
public:
    virtual ~ButtonSink() = default;
    virtual void OnButtonDown(DWORD button) = 0;
    virtual void OnButtonUp(DWORD button) = 0;
};

}  // namespace vareko
