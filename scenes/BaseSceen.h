#pragma once

// The common base of the scenes. It adds nothing: the main window holds each
// scene through a pointer of its own type and calls it directly.
class CBaseSceen {
public:
    virtual ~CBaseSceen() = default;
};
