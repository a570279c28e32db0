#include "store/tile_fetcher.h"

#include <curl/curl.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <utility>

namespace crv::store {

namespace {

constexpr size_t kMinTileBytes = 100;

std::string hostFor(const std::string& host, int server) {
    std::string named = host;
    const auto placeholder = named.find("{n}");
    if (placeholder != std::string::npos) {
        named.replace(placeholder, 3, std::to_string(server));
    }
    return named;
}

struct Transfer {
    std::vector<uint8_t> bytes;
    size_t limit = 0;
    const std::atomic<bool>* cancelled = nullptr;
};

// Called about once a second even while nothing arrives, so a cancel ends a stalled transfer.
int checkCancelled(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(userData)->cancelled->load() ? 1 : 0;
}

size_t appendBlock(char* data, size_t size, size_t count, void* userData) {
    auto* transfer = static_cast<Transfer*>(userData);
    const size_t bytes = size * count;
    if (transfer->bytes.size() + bytes > transfer->limit) {
        return 0; // too long: the library ends the transfer with an error
    }
    transfer->bytes.insert(transfer->bytes.end(), data, data + bytes);
    return bytes;
}

/// One GET; nothing when the transfer failed, timed out or grew past the limit. Error pages
/// count as replies: what they hold is judged by the caller.
std::optional<std::vector<uint8_t>> download(const std::string& url, const std::string& referer,
                                             const TransferLimits& limits,
                                             const std::atomic<bool>& cancelled) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return std::nullopt;
    }
    Transfer transfer;
    transfer.limit = limits.maxBytes;
    transfer.cancelled = &cancelled;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    // A bare host is http, never guessed from its name (an "ftp." host), and nothing but http
    // and https is ever opened: a "file:" address could name a pipe that blocks for ever.
    curl_easy_setopt(curl, CURLOPT_DEFAULT_PROTOCOL, "http");
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutS);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalTimeoutS);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBlock);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancelled);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_REFERER, ("http://" + referer).c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/12.0");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK) {
        return std::nullopt;
    }
    return std::move(transfer.bytes);
}

} // namespace

std::string tileUrl(TileLayer layer, const TileKey& key, const TileServers& servers,
                    const std::string& satelliteVersion) {
    const int server = static_cast<int>((int64_t{key.x} + 2 * int64_t{key.y}) % 4 + 4) % 4;
    const std::string s1 = key.y > 9999 && key.y < 100000 ? "&s=" : "";
    const auto letters = static_cast<size_t>(((3 * int64_t{key.x} + key.y) % 8 + 8) % 8);
    const std::string s2 = std::string("Galileo").substr(0, letters);
    const std::string tail = "&hl=ru&x=" + std::to_string(key.x) + s1 +
                             "&y=" + std::to_string(key.y) + "&z=" + std::to_string(key.z) +
                             "&s=" + s2;
    if (layer == TileLayer::Satellite) {
        return "http://" + hostFor(servers.satelliteHost, server) + "/kh/v=" + satelliteVersion +
               tail;
    }
    return "http://" + hostFor(servers.overlayHost, server) + "/vt/lyrs=h@302000000" + tail;
}

std::optional<std::string> findSatelliteVersion(const std::string& page,
                                                const std::string& domain) {
    const std::string marker = domain + "/kh?v=";
    const auto at = page.find(marker);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::string digits = page.substr(at + marker.size(), 10);
    long version = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), version);
    return std::to_string(version);
}

bool looksLikeTile(TileLayer layer, const std::vector<uint8_t>& reply) {
    if (reply.size() <= kMinTileBytes) {
        return false;
    }
    const char* mark = layer == TileLayer::Overlay ? "PNG" : "JFI";
    const size_t at = layer == TileLayer::Overlay ? 1 : 6;
    return std::memcmp(reply.data() + at, mark, 3) == 0;
}

TileFetcher::TileFetcher(TileCache& cache, TileServers servers, TransferLimits limits)
    : m_cache(cache), m_servers(std::move(servers)), m_limits(limits) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

TileFetcher::~TileFetcher() {
    cancel();
    waitIdle();
}

void TileFetcher::setServers(TileServers servers) {
    const std::lock_guard lock(m_serversLock);
    if (servers == m_nextServers.value_or(m_servers)) {
        return;
    }
    m_nextServers = std::move(servers);
    ++m_serversChanges;
    m_versionKnown = false;
    m_retries.forget(); // what failed on the old servers may work on the new ones
}

void TileFetcher::paceTick() {
    ++m_paceTicks;
    m_retries.tick();
}

void TileFetcher::cancel() { m_cancelled = true; }

void TileFetcher::setTileStoredHandler(std::function<void(TileLayer, const TileKey&)> handler) {
    m_tileStored = std::move(handler);
}

std::string TileFetcher::SatVersion() const {
    const std::lock_guard lock(m_versionLock);
    return m_version;
}

bool TileFetcher::RequestTile(TileLayer layer, const TileKey& key) {
    if (FetchJob() != Idle) {
        return false;
    }
    noteTileOutcome();
    if (!m_retries.mayFetch(layer, key) || m_paceTicks <= 2 || !SatVersionKnown()) {
        return false;
    }
    m_paceTicks = 0;
    m_key = key;
    if (!m_loadMap) {
        return false;
    }
    takeNewServers();
    m_tileLayer = layer;
    m_tileJobServers = m_serversChanges;
    return start(layer == TileLayer::Satellite ? SatelliteTile : OverlayTile,
                 tileUrl(layer, key, m_servers, SatVersion()));
}

// The worker of the last tile job has ended (the fetcher is idle): its tile, still m_key, is
// entered into the retries once, unless the servers changed since.
void TileFetcher::noteTileOutcome() {
    const auto outcome = m_tileOutcome.exchange(NoOutcome);
    if (m_tileJobServers != m_serversChanges) {
        return;
    }
    switch (outcome) {
    case Stored:
        m_retries.stored(m_tileLayer, m_key);
        break;
    case NotStored:
        m_retries.failed(m_tileLayer, m_key);
        break;
    default:
        break;
    }
}

bool TileFetcher::FetchMapVersion() {
    if (FetchJob() != Idle) {
        return false;
    }
    takeNewServers();
    return start(Version, m_servers.mainPage);
}

// Only while no worker runs, so the worker never sees the servers change under it.
void TileFetcher::takeNewServers() {
    waitIdle();
    const std::lock_guard lock(m_serversLock);
    if (m_nextServers) {
        m_servers = std::move(*m_nextServers);
        m_nextServers.reset();
    }
    m_jobServers = m_serversChanges;
}

bool TileFetcher::FetchFile(const std::string& url, const std::string& path) {
    if (FetchJob() != Idle) {
        return false;
    }
    takeNewServers();
    m_filePath = path;
    return start(File, url);
}

bool TileFetcher::start(Job job, std::string url) {
    if (FetchJob() != Idle || m_cancelled) {
        return false;
    }
    waitIdle(); // the last worker has finished its job; let its thread go
    m_url = std::move(url);
    m_result = Running;
    m_job = job;
    m_worker = std::thread([this] { run(); });
    return true;
}

void TileFetcher::waitIdle() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void TileFetcher::run() {
    const auto job = static_cast<Job>(m_job.load());
    auto reply = download(m_url, m_servers.mainPage, m_limits, m_cancelled);
    if (!reply) {
        if (job == SatelliteTile || job == OverlayTile) {
            m_tileOutcome = NotStored;
        }
        m_result = Failed;
        m_job = Idle;
        return;
    }
    switch (job) {
    case SatelliteTile:
        finishTile(TileLayer::Satellite, *reply);
        break;
    case OverlayTile:
        finishTile(TileLayer::Overlay, *reply);
        break;
    case File: {
        std::ofstream file(m_filePath, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(reply->data()),
                   static_cast<std::streamsize>(reply->size()));
        m_result = file ? Succeeded : Failed;
        break;
    }
    case Version:
        finishVersion(*reply);
        m_result = Succeeded;
        break;
    case Idle:
        break;
    }
    m_job = Idle;
}

// What is not a tile of the layer (an error page, a short reply, the other format) is dropped;
// the tile stays missing and is asked for again.
void TileFetcher::finishTile(TileLayer layer, std::vector<uint8_t>& reply) {
    const bool stored = looksLikeTile(layer, reply) && m_cache.StoreTile(layer, m_key, reply).ok();
    m_tileOutcome = stored ? Stored : NotStored;
    if (stored && m_tileStored) {
        m_tileStored(layer, m_key);
    }
}

void TileFetcher::finishVersion(const std::vector<uint8_t>& reply) {
    const std::string page(reply.begin(), reply.end());
    const auto version = findSatelliteVersion(page, m_servers.versionDomain);
    const std::lock_guard serversLock(m_serversLock);
    if (version && m_jobServers == m_serversChanges) { // else it is the old servers' version
        {
            const std::lock_guard lock(m_versionLock);
            m_version = *version;
        }
        m_versionKnown = true;
    }
}

} // namespace crv::store
