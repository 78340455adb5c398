#include "online/ScoreSending.h"

#include "online/VelHttpConnect.h"
#include "resources/send_net_dialog.h"
#include "ui/score_dialog.h"

namespace {

ui::DialogTemplate WaitingTemplate(const resources::GameTexts& texts) {
    using Kind = ui::DialogControl::Kind;
    ui::DialogTemplate t;
    // The title is said as the box opens, then its one button.
    t.title = texts.sending;
    t.width = 220;
    t.height = 84;
    t.fontFace = resources::send_net::kFontFace;
    t.fontTenthsOfPoint = resources::send_net::kFontTenthsOfPoint;
    ui::DialogControl label;
    label.kind = Kind::Label;
    label.text = texts.sending;
    label.rect = {16, 12, 204, 36};
    t.controls.push_back(label);
    ui::DialogControl cancel;
    cancel.kind = Kind::Button;
    cancel.id = ui::kDialogCancel;
    cancel.text = texts.sendingCancel;
    cancel.rect = {70, 46, 150, 72};
    cancel.tabStop = true;
    t.controls.push_back(cancel);
    return t;
}

} // namespace

CScoreSending::CScoreSending(std::string strUrl, const resources::GameTexts& texts)
    : m_texts(texts), m_thread([this, url = std::move(strUrl), language = std::string(texts.languageCode)]() mutable {
          Run(std::move(url), std::move(language));
      }) {}

CScoreSending::~CScoreSending() {
    Cancel();
    m_thread.join();
}

void CScoreSending::Cancel() {
    m_bCancel = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answered.notify_all();
}

void CScoreSending::Run(std::string strUrl, std::string strLanguage) {
    CVelHttpConnect http;
    http.m_strAcceptLanguage = std::move(strLanguage);
    http.m_hooks.cancel = &m_bCancel;
    http.m_hooks.ask = [this](const std::string& server, const std::string& realm) {
        return Ask(server, realm);
    };
    http.Request(strUrl, "", "");
    if (!m_bCancel) {
        m_arLines = std::move(http.m_arLines);
    }
    m_bDone = true;
}

std::optional<platform::Credentials> CScoreSending::Ask(const std::string& server,
                                                        const std::string& realm) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_question = Question{server, realm};
    m_bAnswered = false;
    m_answered.wait(lock, [this] { return m_bAnswered || m_bCancel; });
    m_question.reset();
    return m_bAnswered ? m_answer : std::nullopt;
}

void CScoreSending::AnswerQuestions() {
    Question question;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // The prompt's own loop ticks on, and its ticks come back here.
        if (!m_question || m_bAnswered || m_bAsking) {
            return;
        }
        question = *m_question;
        m_bAsking = true;
    }
    std::optional<platform::Credentials> answer =
        platform::AskCredentials(question.server, question.realm);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bAsking = false;
    m_answer = std::move(answer);
    m_bAnswered = true;
    m_answered.notify_all();
}

bool CScoreSending::Wait() {
    ui::DialogForm form(WaitingTemplate(m_texts));
    const int result = ui::RunUntilFinished(form, [this] {
        AnswerQuestions();
        return Done();
    });
    if (result != ui::kDialogOk) {
        Cancel();
        return false;
    }
    return true;
}
