#pragma once
// The volume memory that outlives the scenes: the volume last set for each
// sound id, which every Play applies again, and a table of volumes by file
// name that a pan-mode player consults when it loads a sound. One instance
// serves the whole process.

#include <cstdint>
#include <string>
#include <vector>

class CSoundVolume {
public:
    static constexpr uint32_t kRemembered = 101; // ids 0 ... 100

    // The one instance every player uses; its name table is empty.
    static CSoundVolume& Instance();

    CSoundVolume() = default;
    CSoundVolume(std::vector<std::string> arNames, std::vector<uint32_t> arValues);
    virtual ~CSoundVolume();

    // The volume for a file name (any case); -1 for a name not in the table.
    int32_t GetVolume(std::string strName);

    // Ids above 100 have no place in the table: they are never remembered and
    // read as 0, the value of a volume never set, so Play leaves their
    // buffers at whatever volume they have.
    int32_t GetRemembered(uint32_t nId) const;
    void SetRemembered(uint32_t nId, int32_t nVolume);

private:
    std::vector<std::string> m_arNames;
    std::vector<uint32_t> m_arValues;
    int32_t m_anVolume[kRemembered] = {};
};
