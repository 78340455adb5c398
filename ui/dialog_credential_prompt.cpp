#include "ui/dialog_credential_prompt.h"

namespace ui {

namespace {

using Kind = DialogControl::Kind;

DialogControl Control(Kind kind, int id, const char* text, Rect rect) {
    DialogControl c;
    c.kind = kind;
    c.id = id;
    c.text = text;
    c.rect = rect;
    c.tabStop = kind != Kind::Label;
    return c;
}

} // namespace

DialogTemplate DialogCredentialPrompt::Template(const std::string& server,
                                                const std::string& realm) {
    DialogTemplate t;
    // The realm says what is locked, the host who asks; both matter to the player.
    t.title = realm.empty() ? server : realm + " (" + server + ")";
    t.width = 300;
    t.height = 112;
    t.fontFace = "ＭＳ ＵＩ ゴシック";
    // A label comes just before its edit, so the edit is spoken by its name.
    t.controls.push_back(Control(Kind::Label, -1, "ユーザー名", {10, 14, 90, 32}));
    t.controls.push_back(Control(Kind::Edit, kUser, "", {95, 8, 290, 36}));
    t.controls.push_back(Control(Kind::Label, -1, "パスワード", {10, 50, 90, 68}));
    t.controls.push_back(Control(Kind::Edit, kPassword, "", {95, 44, 290, 72}));
    t.controls.back().masked = true;
    t.controls.push_back(Control(Kind::Button, kDialogOk, "OK", {130, 82, 205, 104}));
    t.controls.back().defaultButton = true;
    t.controls.push_back(Control(Kind::Button, kDialogCancel, "キャンセル", {215, 82, 290, 104}));
    for (DialogControl& c : t.controls) {
        if (c.kind == Kind::Edit) {
            c.maxChars = 255;
        }
    }
    return t;
}

std::optional<platform::Credentials> DialogCredentialPrompt::Ask(const std::string& server,
                                                                 const std::string& realm) {
    DialogForm form(Template(server, realm));
    if (m_dialogs.RunModal(form) != kDialogOk) {
        return std::nullopt;
    }
    return platform::Credentials{form.GetWindowText(kUser), form.GetWindowText(kPassword)};
}

} // namespace ui
