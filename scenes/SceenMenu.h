#pragma once
#include "platform/draw.h"
#include "scenes/BaseSceen.h"

#include <string>
#include <vector>

class CKirikazeJDlg;

// The spoken menu: seven items, Up and Down to move, Space or Enter to choose.
class CSceenMenu : public CBaseSceen {
public:
    CSceenMenu() = default;
    ~CSceenMenu() override = default;

    void Init(CKirikazeJDlg* pMainWnd, std::string strDataDir);
    void OnKey(int nChar);
    // Draws the whole client area.
    void Paint();

    std::vector<std::string> m_arrItem;
    platform::Font* m_pFont = nullptr; // deleted by the main window
    CKirikazeJDlg* m_pMainWnd = nullptr;
    std::string m_strDataDir;
    int m_nSelect = 0;
    int m_nCommand = -1; // the chosen item for the main window, -1 none
};
