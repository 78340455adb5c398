#include "platform/inet.h"
#include "text/ascii.h"
#include "text/header_lines.h"

#include "platform/credentials.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

using SteadyTime = std::chrono::steady_clock;

namespace {

InetLimits g_limits;

// The body waits here until the reader asks for it; past this the transfer
// pauses, so a fast server cannot fill memory faster than the game reads.
constexpr size_t kBodyBufferLimit = 64 * 1024;

void InitCurlOnce() {
    static const bool initialised = [] {
        return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }();
    if (!initialised) {
        throw InetException("The internet client could not be started");
    }
}

// A loopback server is never reached through a proxy, whatever the
// environment says about other hosts.
std::string NoProxyList() {
    std::string list;
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name); value && *value) {
            list = value;
            break;
        }
    }
    if (list == "*") {
        return list; // no proxy for anyone; libcurl takes "*" only on its own
    }
    if (!list.empty()) {
        list += ",";
    }
    return list + "localhost,127.0.0.1,::1";
}

// A request line cannot carry blanks, control bytes or raw non-ASCII bytes;
// everything else of the object goes out exactly as the caller wrote it.
std::string EncodeObject(const std::string& object) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    if (object.empty() || object[0] != '/') {
        encoded = "/";
    }
    for (unsigned char c : object) {
        if (c <= 0x20 || c >= 0x7F) {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return encoded;
}

const char kCancelledText[] = "The request was cancelled";

std::string TimedOutText(uint32_t ms) {
    return "Operation timed out after " + std::to_string(ms) + " milliseconds";
}

long RemainingMs(SteadyTime::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyTime::now());
    return static_cast<long>(left.count());
}

} // namespace

InetLimits SetInetLimits(const InetLimits& limits) {
    InetLimits previous = g_limits;
    g_limits = limits;
    return previous;
}

InetLimits GetInetLimits() {
    return g_limits;
}

struct InetSessionState {
    CURLM* multi = nullptr;
    CURLSH* share = nullptr;
    std::string agent;
    std::string noProxy;
    InetLimits limits;
    SteadyTime::time_point deadline;
    InetHooks hooks;

    bool Cancelled() const { return hooks.cancel && hooks.cancel->load(); }

    ~InetSessionState() {
        if (share) {
            curl_share_cleanup(share);
        }
        if (multi) {
            curl_multi_cleanup(multi);
        }
    }
};

struct InetRequestState {
    std::shared_ptr<InetSessionState> session;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    std::vector<std::string> headerNames; // lower case
    std::string server;
    bool post = false;
    char errorText[CURL_ERROR_SIZE] = {};

    // The transfer under way.
    bool attached = false;
    bool done = false;
    CURLcode result = CURLE_OK;
    std::string failure; // our own reason when a callback stopped the transfer
    bool headersDone = false;
    size_t headerBytes = 0;
    std::string rawHeaders;
    int status = 0;
    std::string body;
    size_t bodyPos = 0;
    size_t bodyTotal = 0;
    bool paused = false;
    bool discarding = false;

    ~InetRequestState() {
        Detach();
        if (easy) {
            curl_easy_cleanup(easy);
        }
        curl_slist_free_all(headerList);
    }

    size_t Buffered() const { return body.size() - bodyPos; }

    void Detach() {
        if (!attached) {
            return;
        }
        curl_multi_remove_handle(session->multi, easy);
        attached = false;
        if (paused) {
            // Whatever libcurl still holds for a paused transfer is thrown away.
            discarding = true;
            curl_easy_pause(easy, CURLPAUSE_CONT);
            discarding = false;
            paused = false;
        }
    }

    void ResetTransfer() {
        done = false;
        result = CURLE_OK;
        failure.clear();
        headersDone = false;
        headerBytes = 0;
        rawHeaders.clear();
        status = 0;
        body.clear();
        bodyPos = 0;
        bodyTotal = 0;
        errorText[0] = '\0';
    }

    std::string ErrorText() const {
        if (!failure.empty()) {
            return failure;
        }
        if (result == CURLE_OUT_OF_MEMORY && !headersDone) {
            // libcurl's own refusal of a giant header line.
            return "The answer's header block is too large";
        }
        if (errorText[0] != '\0') {
            return errorText;
        }
        return curl_easy_strerror(result);
    }

    void CollectDone() {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(session->multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                done = true;
                result = message->data.result;
            }
        }
    }

    // Drives the transfer until ready() holds or it has ended.
    template <class Ready> void Pump(Ready ready) {
        while (!ready() && !done) {
            if (session->Cancelled()) {
                Detach();
                throw InetException(kCancelledText);
            }
            long left = RemainingMs(session->deadline);
            if (left <= 0) {
                Detach();
                throw InetException(TimedOutText(session->limits.exchangeTimeoutMs));
            }
            int running = 0;
            CURLMcode code = curl_multi_perform(session->multi, &running);
            if (code != CURLM_OK) {
                throw InetException(curl_multi_strerror(code));
            }
            CollectDone();
            if (ready() || done) {
                break;
            }
            int wait = static_cast<int>(std::clamp(left, 1L, 100L));
            curl_multi_poll(session->multi, nullptr, 0, wait, nullptr);
        }
    }

    // True when body bytes wait; false at the end of the body.
    bool Fill() {
        if (Buffered() > 0) {
            return true;
        }
        if (!attached && !done) {
            return false;
        }
        if (paused) {
            paused = false;
            curl_easy_pause(easy, CURLPAUSE_CONT);
        }
        Pump([this] { return Buffered() > 0; });
        if (Buffered() > 0) {
            return true;
        }
        if (done && result != CURLE_OK) {
            throw InetException(ErrorText());
        }
        return false;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* state = static_cast<InetRequestState*>(user);
        size_t length = size * count;
        state->headerBytes += length;
        if (state->headerBytes > state->session->limits.maxHeaderBytes) {
            state->failure = "The answer's header block is larger than " +
                             std::to_string(state->session->limits.maxHeaderBytes) + " bytes";
            return 0;
        }
        std::string line(data, length);
        if (line.rfind("HTTP/", 0) == 0) {
            // A new answer begins (after an interim 1xx one).
            state->rawHeaders.clear();
            state->headersDone = false;
        }
        state->rawHeaders += line;
        if (line == "\r\n" || line == "\n") {
            long status = 0;
            curl_easy_getinfo(state->easy, CURLINFO_RESPONSE_CODE, &status);
            if (status >= 200) {
                state->status = static_cast<int>(status);
                state->headersDone = true;
            }
        }
        return length;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* state = static_cast<InetRequestState*>(user);
        size_t length = size * count;
        if (state->discarding) {
            return length;
        }
        if (state->Buffered() >= kBodyBufferLimit) {
            state->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (state->bodyTotal + length > state->session->limits.maxAnswerBytes) {
            state->failure = "The answer is larger than " +
                             std::to_string(state->session->limits.maxAnswerBytes) + " bytes";
            return 0;
        }
        if (state->bodyPos > 0 && state->bodyPos >= state->body.size() / 2) {
            state->body.erase(0, state->bodyPos);
            state->bodyPos = 0;
        }
        state->body.append(data, length);
        state->bodyTotal += length;
        return length;
    }
};

InetSession::InetSession(const std::string& agent, InetHooks hooks)
    : m_state(std::make_shared<InetSessionState>()) {
    InitCurlOnce();
    m_state->agent = agent;
    m_state->hooks = std::move(hooks);
    m_state->noProxy = NoProxyList();
    m_state->limits = g_limits;
    m_state->deadline =
        SteadyTime::now() + std::chrono::milliseconds(m_state->limits.exchangeTimeoutMs);
    m_state->multi = curl_multi_init();
    m_state->share = curl_share_init();
    if (!m_state->multi || !m_state->share) {
        throw InetException("The internet session could not be opened");
    }
    // Cookies a server sets (on a redirect, say) go back to it for the rest of
    // the session, and nowhere else.
    curl_share_setopt(m_state->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

InetSession::~InetSession() = default;

InetConnection::InetConnection(InetSession& session, const std::string& server, uint16_t port)
    : m_session(session.m_state), m_server(server), m_port(port) {
    if (m_server.empty()) {
        throw InetException("No server name was given");
    }
    if (m_port == 0) {
        throw InetException("No server port was given");
    }
}

std::unique_ptr<InetRequest> InetConnection::OpenRequest(InetVerb verb, const std::string& object,
                                                         uint32_t flags) {
    auto state = std::make_unique<InetRequestState>();
    state->session = m_session;
    state->server = m_server;
    state->post = verb == InetVerb::Post;
    state->easy = curl_easy_init();
    if (!state->easy) {
        throw InetException("The request could not be opened");
    }
    const char* scheme = (flags & kInetFlagSecure) ? "https://" : "http://";
    std::string url = scheme + m_server + ":" + std::to_string(m_port) + EncodeObject(object);
    CURL* easy = state->easy;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, m_session->noProxy.c_str());
    curl_easy_setopt(easy, CURLOPT_SHARE, m_session->share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, state->errorText);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &InetRequestState::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, state.get());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &InetRequestState::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, state.get());
    if (!m_session->agent.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERAGENT, m_session->agent.c_str());
    }
    return std::unique_ptr<InetRequest>(new InetRequest(std::move(state)));
}

InetRequest::InetRequest(std::unique_ptr<InetRequestState> state) : m_state(std::move(state)) {}

InetRequest::~InetRequest() = default;

void InetRequest::AddRequestHeaders(const std::string& block) {
    InetRequestState& s = *m_state;
    size_t start = 0;
    while (start < block.size()) {
        size_t end = block.find('\n', start);
        if (end == std::string::npos) {
            end = block.size();
        }
        std::string line = block.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string name = text::AsciiLower(text::Trim(line.substr(0, colon)));
        if (name.empty() ||
            std::find(s.headerNames.begin(), s.headerNames.end(), name) != s.headerNames.end()) {
            continue;
        }
        curl_slist* grown = curl_slist_append(s.headerList, line.c_str());
        if (!grown) {
            throw InetException("Out of memory for the request headers");
        }
        s.headerList = grown;
        s.headerNames.push_back(name);
    }
    curl_easy_setopt(s.easy, CURLOPT_HTTPHEADER, s.headerList);
}

void InetRequest::SendRequest(const std::string& body) {
    InetRequestState& s = *m_state;
    s.Detach();
    s.ResetTransfer();
    long left = RemainingMs(s.session->deadline);
    if (left <= 0) {
        throw InetException(TimedOutText(s.session->limits.exchangeTimeoutMs));
    }
    curl_easy_setopt(s.easy, CURLOPT_TIMEOUT_MS, left);
    curl_easy_setopt(s.easy, CURLOPT_CONNECTTIMEOUT_MS,
                     std::min(left, static_cast<long>(s.session->limits.connectTimeoutMs)));
    if (s.post) {
        curl_easy_setopt(s.easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(s.easy, CURLOPT_COPYPOSTFIELDS, body.c_str());
    } else {
        curl_easy_setopt(s.easy, CURLOPT_HTTPGET, 1L);
    }
    if (curl_multi_add_handle(s.session->multi, s.easy) != CURLM_OK) {
        throw InetException("The request could not be started");
    }
    s.attached = true;
    s.Pump([&s] { return s.headersDone; });
    if (!s.headersDone) {
        throw InetException(s.result != CURLE_OK ? s.ErrorText()
                                                 : std::string("The server sent no answer"));
    }
}

int InetRequest::StatusCode() const {
    return m_state->status;
}

const std::string& InetRequest::RawHeaders() const {
    return m_state->rawHeaders;
}

bool InetRequest::PromptForCredentials() {
    InetRequestState& s = *m_state;
    std::string realm;
    if (const auto challenge = text::HeaderValue(s.rawHeaders, "WWW-Authenticate")) {
        if (const size_t at = text::AsciiLower(*challenge).find("realm=");
            at != std::string::npos) {
            realm = text::Trim(challenge->substr(at + 6));
            if (!realm.empty() && realm[0] == '"') {
                const size_t close = realm.find('"', 1);
                realm = realm.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            } else {
                realm = realm.substr(0, realm.find_first_of(", "));
            }
        }
    }
    // The player may take a while to type: that time is theirs, not the server's.
    const SteadyTime::time_point asked = SteadyTime::now();
    const auto& ask = s.session->hooks.ask;
    std::optional<Credentials> answer =
        ask ? ask(s.server, realm) : AskCredentials(s.server, realm);
    s.session->deadline += SteadyTime::now() - asked;
    if (s.session->Cancelled()) {
        throw InetException(kCancelledText);
    }
    if (!answer) {
        return false;
    }
    // Basic is what a single repeat of the request can answer; schemes that
    // need a further round trip of their own are not offered.
    curl_easy_setopt(s.easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(s.easy, CURLOPT_USERNAME, answer->user.c_str());
    curl_easy_setopt(s.easy, CURLOPT_PASSWORD, answer->password.c_str());
    return true;
}

size_t InetRequest::Read(char* buffer, size_t size) {
    InetRequestState& s = *m_state;
    if (size == 0 || !s.Fill()) {
        return 0;
    }
    size_t count = std::min(size, s.Buffered());
    std::memcpy(buffer, s.body.data() + s.bodyPos, count);
    s.bodyPos += count;
    return count;
}

bool InetRequest::ReadString(std::string& line, size_t size) {
    InetRequestState& s = *m_state;
    line.clear();
    if (size < 2) {
        return false;
    }
    while (line.size() < size - 1 && s.Fill()) {
        while (s.bodyPos < s.body.size() && line.size() < size - 1) {
            char c = s.body[s.bodyPos++];
            if (c == '\r') {
                continue;
            }
            line += c;
            if (c == '\n') {
                return true;
            }
        }
    }
    return !line.empty();
}

} // namespace platform
