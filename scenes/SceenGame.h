#pragma once
#include "platform/draw.h"
#include "scenes/BaseSceen.h"

#include <string>

class CKirikazeJDlg;

// The duel scene (and the tutorial, its level 1).
class CSceenGame : public CBaseSceen {
public:
    CSceenGame() = default;
    ~CSceenGame() override = default;

    void Init(CKirikazeJDlg* pMainWnd, std::string strDataDir);
    // One frame; the main window calls it every 100 ms.
    void Update();
    void OnKey(unsigned nChar);
    void Paint();
    void StopSounds();

    int m_nCommand = -1; // 0 leave, 1 lost and confirmed, 2 won and confirmed
    CKirikazeJDlg* m_pMainWnd = nullptr;
    platform::Font* m_pFont = nullptr; // deleted by the main window
    std::string m_strDataDir;
    int m_nLevel = 0;  // 1 tutorial, 2 easy, 3 normal, 4 hard; set before Init
    int m_nDamage = 0; // mistakes so far: the score
};
