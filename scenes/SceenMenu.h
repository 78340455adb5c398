#pragma once
#include "audio/SoundPlay.h"
#include "scenes/BaseSceen.h"
#include "ui/canvas.h"

#include <string>
#include <vector>

class CKirikazeJDlg;

// The spoken menu: seven items, Up and Down to move, Space or Enter to choose.
// Made to be used without looking: it greets the player with the spoken
// title over the opening music, and every key release speaks the item that is
// then highlighted.
class CSceenMenu : public CBaseSceen {
public:
    CSceenMenu() = default;
    ~CSceenMenu() override = default;

    void Init(CKirikazeJDlg* pMainWnd, std::string strDataDir);
    void OnKey(int nChar);
    // Draws the whole client area.
    void Paint();

    CSoundPlay m_sound; // device 0: the 3D mode, every sound centred
    std::vector<std::string> m_arrItem;
    platform::Font* m_pFont = nullptr; // deleted by the main window
    CKirikazeJDlg* m_pMainWnd = nullptr;
    std::string m_strDataDir;
    int m_nSelect = 0;
    int m_nCommand = -1; // the chosen item for the main window, -1 none
};
