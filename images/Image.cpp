#include "images/Image.h"

#include "platform/image.h"

HRESULT CImage::Load(const std::string& path) {
    platform::DecodedImage decoded;
    // A reload replaces the old picture even when it fails, so what is shown
    // always matches the last file asked for.
    bool loaded = platform::LoadImageFile(path, decoded);
    m_bitmap = std::move(decoded.pixels);
    m_bHasAlpha = decoded.hasAlpha;
    return loaded ? S_OK : E_FAIL;
}
