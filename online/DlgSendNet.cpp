#include "online/DlgSendNet.h"

#include "platform/message_box.h"
#include "platform/speech.h"
#include "resources/area_list.h"
#include "resources/send_net_dialog.h"
#include "ui/score_dialog.h"

namespace {

namespace sn = resources::send_net;
using ui::DialogControl;
using Kind = DialogControl::Kind;

// The dialog's background: black, as its window and labels were always painted.
constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);

ui::Rect ToPixels(const resources::DialogUnitRect& r) {
    return {resources::DialogUnitsToPixelsX(r.x), resources::DialogUnitsToPixelsY(r.y),
            resources::DialogUnitsToPixelsX(r.x + r.cx),
            resources::DialogUnitsToPixelsY(r.y + r.cy)};
}

DialogControl Control(Kind kind, int id, const char* text, const resources::DialogUnitRect& r,
                      bool tabStop) {
    DialogControl control;
    control.kind = kind;
    control.id = id;
    control.text = text;
    control.rect = ToPixels(r);
    control.tabStop = tabStop;
    return control;
}

ui::DialogTemplate MakeTemplate(const resources::GameTexts& texts) {
    ui::DialogTemplate t;
    t.title = texts.sendTitle;
    t.words = texts.dialogWords;
    t.width = resources::DialogUnitsToPixelsX(sn::kDialog.cx);
    t.height = resources::DialogUnitsToPixelsY(sn::kDialog.cy);
    t.fontFace = sn::kFontFace;
    t.fontTenthsOfPoint = sn::kFontTenthsOfPoint;
    t.background = kBlack;
    // In the template's order, which is also the order Tab goes.
    t.controls.push_back(Control(Kind::Label, -1, texts.nameLabel, sn::kNameLabelRect, false));
    DialogControl edit = Control(Kind::Edit, sn::kIdEdit, "", sn::kNameEditRect, true);
    edit.maxChars = sn::kNameMaxChars;
    t.controls.push_back(edit);
    t.controls.push_back(Control(Kind::Label, -1, texts.areaLabel, sn::kAreaLabelRect, false));
    t.controls.push_back(Control(Kind::DropList, sn::kIdCombo, "", sn::kAreaComboRect, true));
    DialogControl ok = Control(Kind::Button, sn::kIdOk, texts.okText, sn::kOkRect, true);
    ok.defaultButton = true;
    t.controls.push_back(ok);
    t.controls.push_back(
        Control(Kind::Button, sn::kIdCancel, texts.cancelText, sn::kCancelRect, true));
    return t;
}

} // namespace

int CDlgSendNet::DoModal() {
    ui::DialogForm form(MakeTemplate(m_texts), this);
    OnInitDialog(form);
    return ui::RunScoreDialog(form);
}

void CDlgSendNet::OnInitDialog(ui::DialogForm& form) {
    form.SetWindowText(sn::kIdEdit, m_strName);
    for (std::string_view area : kAreaList) {
        form.AddString(sn::kIdCombo, std::string(area));
    }
    // An area never chosen means "Secret"; a remembered one is found by its
    // exact text; anything else leaves the choice to the player.
    if (m_strArea.empty()) {
        form.SetCurSel(sn::kIdCombo, 0);
        return;
    }
    for (int i = 0; i < form.GetCount(sn::kIdCombo); ++i) {
        if (form.GetLBText(sn::kIdCombo, i) == m_strArea) {
            form.SetCurSel(sn::kIdCombo, i);
            return;
        }
    }
}

void CDlgSendNet::OnOK(ui::DialogForm& form) {
    const std::string area = form.GetWindowText(sn::kIdCombo);
    if (area.empty()) {
        // The score server takes no result without an area: rather than
        // lose the duel to a refusal, the dialog stays open for the choice.
        platform::Speak(m_texts.chooseArea, true);
        platform::ShowMessageBox(m_texts.chooseArea, m_texts.sendTitle, true);
        form.SetFocus(sn::kIdCombo);
        return;
    }
    m_strName = form.GetWindowText(sn::kIdEdit);
    m_strArea = area;
    form.EndDialog(IDOK);
}

void CDlgSendNet::OnCommand(ui::DialogForm& form, int id) {
    if (id == IDOK) {
        OnOK(form);
        return;
    }
    form.EndDialog(IDCANCEL);
}
