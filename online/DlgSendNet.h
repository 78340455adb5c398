#pragma once
#include "resources/game_texts.h"
#include "ui/dialog_form.h"

#include <string>

// The score dialog: after a won duel the player picks an area and types a
// name, then sends the result (送信) or not (閉じる).
class CDlgSendNet : public ui::DialogHandler {
public:
    enum { IDD = 129, IDOK = ui::kDialogOk, IDCANCEL = ui::kDialogCancel };

    // texts: the dialog's words, in the language the game plays in.
    explicit CDlgSendNet(
        const resources::GameTexts& texts = resources::GameTextsFor(text::Language::Japanese))
        : m_texts(texts) {}
    ~CDlgSendNet() override = default;
    CDlgSendNet(const CDlgSendNet&) = delete;
    CDlgSendNet& operator=(const CDlgSendNet&) = delete;

    // IDOK when 送信 (or Enter) closed it: m_strArea and m_strName then hold
    // what the dialog showed. IDCANCEL for 閉じる, Escape or the window's
    // close button: both are left as they were.
    int DoModal();

    std::string m_strName; // set before DoModal
    std::string m_strArea;

private:
    const resources::GameTexts& m_texts;
    void OnInitDialog(ui::DialogForm& form);
    void OnOK(ui::DialogForm& form);
    void OnCommand(ui::DialogForm& form, int id) override;
};
