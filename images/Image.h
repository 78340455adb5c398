#pragma once
#include "platform/hresult.h"
#include "platform/pixels.h"

#include <string>

// One decoded picture of the duel, ready for drawing. A picture that failed to
// load stays empty (0 × 0, no pixels) and draws as nothing.
class CImage {
public:
    // path: the data folder followed by a name such as "\image\sam1.ypg". The
    // format is found from the content, never from the name. S_OK when the
    // picture was loaded; E_FAIL otherwise, and the image is then empty.
    HRESULT Load(const std::string& path);

    const platform::PixelImage& Bitmap() const { return m_bitmap; }
    int Width() const { return m_bitmap.width; }
    int Height() const { return m_bitmap.height; }
    bool HasAlpha() const { return m_bHasAlpha; }
    bool IsNull() const { return m_bitmap.Empty(); }

private:
    platform::PixelImage m_bitmap;
    bool m_bHasAlpha = false;
};
