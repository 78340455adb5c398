#pragma once
#include <cstdint>

// An HTTP-level failure with our own error code; the code becomes the result
// of the request.
class CVelHttpException {
public:
    explicit CVelHttpException(uint32_t dwError) : m_dwError(dwError) {}
    uint32_t m_dwError;
};
