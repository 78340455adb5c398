#include "audio/SoundVolume.h"

#include "text/ascii.h"

CSoundVolume& CSoundVolume::Instance() {
    static CSoundVolume s_volume;
    return s_volume;
}

CSoundVolume::CSoundVolume(std::vector<std::string> arNames, std::vector<uint32_t> arValues)
    : m_arNames(std::move(arNames)), m_arValues(std::move(arValues)) {
    m_arValues.resize(m_arNames.size(), 0);
}

CSoundVolume::~CSoundVolume() = default;

int32_t CSoundVolume::GetVolume(std::string strName) {
    strName = text::AsciiUpper(std::move(strName));
    for (size_t k = 0; k < m_arNames.size(); ++k) {
        m_arNames[k] = text::AsciiUpper(std::move(m_arNames[k]));
        if (m_arNames[k] == strName) {
            auto value = static_cast<int32_t>(m_arValues[k]);
            // A volume is an attenuation: a positive entry means its negation.
            return value > 0 ? -value : value;
        }
    }
    return -1;
}

int32_t CSoundVolume::GetRemembered(uint32_t nId) const {
    return nId < kRemembered ? m_anVolume[nId] : 0;
}

void CSoundVolume::SetRemembered(uint32_t nId, int32_t nVolume) {
    if (nId < kRemembered) {
        m_anVolume[nId] = nVolume;
    }
}
