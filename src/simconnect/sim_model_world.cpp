// The model's world: the clock, frames, answers to requests, AI objects appearing and going,
// and the faults set on demand.
#include "simconnect/sim_model.h"

#include "simconnect/sim_geometry.h"
#include "simconnect/sim_model_messages.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double g_metersPerNm = 1852.0;

// days since 1970-01-01 of a date of the proleptic Gregorian calendar
std::int64_t lf_daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t lf_yearOfDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

std::size_t lf_textSize(SIMCONNECT_DATATYPE type)
{
    switch (type) {
    case SIMCONNECT_DATATYPE_STRING8: return 8;
    case SIMCONNECT_DATATYPE_STRING32: return 32;
    case SIMCONNECT_DATATYPE_STRING64: return 64;
    case SIMCONNECT_DATATYPE_STRING128: return 128;
    case SIMCONNECT_DATATYPE_STRING256: return 256;
    case SIMCONNECT_DATATYPE_STRING260: return 260;
    default: return 0;
    }
}

template <class T>
void lf_append(std::vector<std::byte>& data, T value)
{
    const auto* p = reinterpret_cast<const std::byte*>(&value);
    data.insert(data.end(), p, p + sizeof(T));
}

} // namespace

// ---------------------------------------------------------------- clock

SimZulu SimModel::zuluLocked() const
{
    const std::int64_t startDays = lf_daysFromCivil(m_scenario.year, 1, 1) + m_scenario.dayOfYear - 1;
    const std::int64_t epoch =
        startDays * 86400 + m_scenario.zuluSeconds + static_cast<std::int64_t>(std::floor(m_simTime));
    const std::int64_t days = epoch >= 0 ? epoch / 86400 : (epoch - 86399) / 86400;
    SimZulu z;
    z.seconds = epoch - days * 86400;
    z.year = lf_yearOfDays(days);
    z.dayOfYear = days - lf_daysFromCivil(z.year, 1, 1) + 1;
    return z;
}

// ---------------------------------------------------------------- frames

void SimModel::step(int frames)
{
    std::lock_guard lock(m_mutex);
    for (int n = 0; n < frames; ++n) {
        if (m_simRunning) {
            m_simTime += 1.0 / m_frameRate;
            moveUser();
            driftAiObjects(1.0 / m_frameRate);
        }
        createObjects();
        removeObjects();
        ++m_frames;
        if (m_quit)
            continue;
        for (auto& [id, s] : m_sessions) {
            if (s.quitDelivered)
                continue;
            serveRequests(s);
            const auto frame = s.systemEvents.find("FRAME");
            if (frame != s.systemEvents.end()) {
                SIMCONNECT_RECV_EVENT_FRAME rec{};
                rec.uGroupID = SIMCONNECT_UNUSED;
                rec.uEventID = frame->second;
                rec.fFrameRate = m_frameRate;
                rec.fSimSpeed = 1.0f;
                s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EVENT_FRAME));
            }
        }
    }
}

void SimModel::notifySystemEvent(const std::string& name, std::uint32_t data)
{
    for (auto& [id, s] : m_sessions) {
        const auto it = s.systemEvents.find(name);
        if (it == s.systemEvents.end() || s.quitDelivered)
            continue;
        SIMCONNECT_RECV_EVENT rec{};
        rec.uGroupID = SIMCONNECT_UNUSED;
        rec.uEventID = it->second;
        rec.dwData = data;
        s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EVENT));
    }
}

void SimModel::notifyObjectEvent(const std::string& name, std::uint32_t objectId)
{
    for (auto& [id, s] : m_sessions) {
        const auto it = s.systemEvents.find(name);
        if (it == s.systemEvents.end() || s.quitDelivered)
            continue;
        SIMCONNECT_RECV_EVENT_OBJECT_ADDREMOVE rec{};
        rec.uGroupID = SIMCONNECT_UNUSED;
        rec.uEventID = it->second;
        rec.dwData = objectId;
        rec.eObjType = SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT;
        s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EVENT_OBJECT_ADDREMOVE));
    }
}

void SimModel::createObjects()
{
    std::vector<PendingCreation> waiting;
    for (PendingCreation& c : m_creations) {
        const auto session = m_sessions.find(c.sessionId);
        if (c.refusal != 0) {
            if (session != m_sessions.end())
                queueExceptionLocked(session->second, c.refusal, c.packetId, 1);
            continue;
        }
        if (c.framesLeft > 0) {
            --c.framesLeft;
            waiting.push_back(std::move(c));
            continue;
        }
        SimObjectState o;
        o.id = m_nextObjectId++;
        o.title = c.title;
        o.staticCgFt = SimTitle{}.staticCgFt;
        o.staticPitchDeg = SimTitle{}.staticPitchDeg;
        for (const SimTitle& t : m_scenario.installedTitles) {
            if (t.title.size() == c.title.size() &&
                std::equal(t.title.begin(), t.title.end(), c.title.begin(), [](char x, char y) {
                    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
                })) {
                o.title = t.title;
                o.staticCgFt = t.staticCgFt;
                o.staticPitchDeg = t.staticPitchDeg;
            }
        }
        o.atcId = c.tailNumber;
        o.lat = c.initPos.Latitude;
        o.lon = c.initPos.Longitude;
        o.pitchDeg = c.initPos.Pitch;
        o.bankDeg = c.initPos.Bank;
        o.headingDeg = c.initPos.Heading;
        o.trueAirspeedKts = c.initPos.Airspeed;
        o.groundSpeedKts = c.initPos.Airspeed;
        o.groundAltFt = m_scenario.groundAltitudeFt;
        o.onGround = c.initPos.OnGround != 0;
        o.altFt = o.onGround ? o.groundAltFt + o.staticCgFt : c.initPos.Altitude;
        o.gearDown = o.onGround;
        const std::uint32_t objectId = o.id;
        m_ai.emplace(objectId, std::move(o));
        if (session != m_sessions.end() && !session->second.quitDelivered) {
            SIMCONNECT_RECV_ASSIGNED_OBJECT_ID rec{};
            rec.dwRequestID = c.requestId;
            rec.dwObjectID = objectId;
            session->second.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_ASSIGNED_OBJECT_ID));
        }
        notifyObjectEvent("OBJECTADDED", objectId);
    }
    m_creations = std::move(waiting);
}

void SimModel::removeObjects()
{
    for (const std::uint32_t objectId : m_removals) {
        if (m_ai.erase(objectId) == 0)
            continue;
        for (auto& [id, s] : m_sessions)
            std::erase_if(s.requests, [&](const Request& r) { return !r.byType && r.objectId == objectId; });
        notifyObjectEvent("OBJECTREMOVED", objectId);
    }
    m_removals.clear();
}

// ---------------------------------------------------------------- answers

void SimModel::answer(Session& s, const Request& r, const SimObjectState& o, std::uint32_t entry,
                      std::uint32_t outOf)
{
    const auto def = s.definitions.find(r.defineId);
    if (def == s.definitions.end())
        return;
    const SimZulu zulu = zuluLocked();
    std::vector<std::byte> data;
    for (const Member& m : def->second) {
        if (m.variable->quantity == SimQuantity::Text) {
            const std::string text = m.variable->text(o);
            if (m.type == SIMCONNECT_DATATYPE_STRINGV) {
                // zero-terminated, padded to 8 bytes so that later members stay aligned
                const std::size_t n = (text.size() + 1 + 7) / 8 * 8;
                const std::size_t at = data.size();
                data.resize(at + n, std::byte{0});
                std::memcpy(data.data() + at, text.data(), text.size());
            } else {
                const std::size_t n = lf_textSize(m.type);
                const std::size_t at = data.size();
                data.resize(at + n, std::byte{0});
                std::memcpy(data.data() + at, text.data(), std::min(text.size(), n - 1));
            }
            continue;
        }
        const double value = m.variable->get(o, zulu) * m.factor;
        switch (m.type) {
        case SIMCONNECT_DATATYPE_FLOAT64: lf_append(data, value); break;
        case SIMCONNECT_DATATYPE_FLOAT32: lf_append(data, static_cast<float>(value)); break;
        case SIMCONNECT_DATATYPE_INT64: lf_append(data, static_cast<std::int64_t>(std::llround(value))); break;
        default: lf_append(data, static_cast<std::int32_t>(std::lround(value))); break;
        }
    }
    SIMCONNECT_RECV_SIMOBJECT_DATA rec{};
    rec.dwRequestID = r.requestId;
    rec.dwObjectID = o.id;
    rec.dwDefineID = r.defineId;
    rec.dwEntryNumber = entry;
    rec.dwOutOf = outOf;
    rec.dwDefineCount = static_cast<std::uint32_t>(def->second.size());
    s.queue.push_back(gf_makeSimMessage(rec,
                                        r.byType ? SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE
                                                 : SIMCONNECT_RECV_ID_SIMOBJECT_DATA,
                                        data.data(), data.size()));
}

void SimModel::serveRequests(Session& s)
{
    std::vector<Request> kept;
    for (Request& r : s.requests) {
        if (r.byType) {
            // one answer per aircraft within the radius, the user first
            std::vector<const SimObjectState*> found{&m_user};
            if (r.type != SIMCONNECT_SIMOBJECT_TYPE_USER)
                for (const auto& [id, o] : m_ai)
                    if (gf_simDistanceNm(m_user.lat, m_user.lon, o.lat, o.lon) * g_metersPerNm <= r.radiusMeters)
                        found.push_back(&o);
            const auto outOf = static_cast<std::uint32_t>(found.size());
            for (std::uint32_t i = 0; i < outOf; ++i)
                answer(s, r, *found[i], i + 1, outOf);
            continue;
        }
        const SimObjectState* o = findObject(r.objectId);
        if (o == nullptr)
            continue;
        if (r.period == SIMCONNECT_PERIOD_ONCE) {
            answer(s, r, *o, 0, 0);
            continue;
        }
        if (r.period == SIMCONNECT_PERIOD_SECOND) {
            if (r.nextDue < 0.0 || m_simTime >= r.nextDue) {
                answer(s, r, *o, 0, 0);
                r.nextDue = (r.nextDue < 0.0 || m_simTime - r.nextDue >= 1.0) ? m_simTime + 1.0 : r.nextDue + 1.0;
            }
        } else {
            answer(s, r, *o, 0, 0);
        }
        kept.push_back(r);
    }
    s.requests = std::move(kept);
}

// ---------------------------------------------------------------- faults and changes on demand

void SimModel::setReachable(bool reachable)
{
    std::lock_guard lock(m_mutex);
    m_reachable = reachable;
}

void SimModel::quit()
{
    std::lock_guard lock(m_mutex);
    if (m_quit)
        return;
    m_quit = true;
    for (auto& [id, s] : m_sessions) {
        SimModelMessage m = gf_makeSimMessage(SIMCONNECT_RECV_QUIT{}, SIMCONNECT_RECV_ID_QUIT);
        m.quit = true;
        s.queue.push_back(std::move(m));
    }
}

void SimModel::queueException(std::uint32_t exception, std::uint32_t sendId, std::uint32_t index)
{
    std::lock_guard lock(m_mutex);
    for (auto& [id, s] : m_sessions)
        queueExceptionLocked(s, exception, sendId, index);
}

void SimModel::failCall(const std::string& name, int times)
{
    std::lock_guard lock(m_mutex);
    m_failing[name] = times;
}

void SimModel::setFrameRate(float framesPerSecond)
{
    std::lock_guard lock(m_mutex);
    if (std::isfinite(framesPerSecond) && framesPerSecond >= 1.0f)
        m_frameRate = framesPerSecond;
}

float SimModel::frameRate() const
{
    std::lock_guard lock(m_mutex);
    return m_frameRate;
}

void SimModel::setSimRunning(bool running)
{
    std::lock_guard lock(m_mutex);
    if (running == m_simRunning)
        return;
    m_simRunning = running;
    notifySystemEvent("SIM", running ? 1 : 0);
}

void SimModel::loadFlight(const std::string& fileName)
{
    std::lock_guard lock(m_mutex);
    for (auto& [id, s] : m_sessions) {
        const auto it = s.systemEvents.find("FLIGHTLOADED");
        if (it == s.systemEvents.end() || s.quitDelivered)
            continue;
        SIMCONNECT_RECV_EVENT_FILENAME rec{};
        rec.uGroupID = SIMCONNECT_UNUSED;
        rec.uEventID = it->second;
        gf_copyFixedText(rec.szFileName, fileName);
        s.queue.push_back(gf_makeSimMessage(rec, SIMCONNECT_RECV_ID_EVENT_FILENAME));
    }
}

// ---------------------------------------------------------------- observation

void SimModel::setCallLogging(bool on)
{
    std::lock_guard lock(m_mutex);
    m_logCalls = on;
}

std::vector<std::string> SimModel::callLog() const
{
    std::lock_guard lock(m_mutex);
    return m_callLog;
}

void SimModel::clearCallLog()
{
    std::lock_guard lock(m_mutex);
    m_callLog.clear();
}

int SimModel::openAttempts() const
{
    std::lock_guard lock(m_mutex);
    return m_openAttempts;
}

int SimModel::openSessions() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_sessions.size());
}

std::uint64_t SimModel::frames() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

double SimModel::simSeconds() const
{
    std::lock_guard lock(m_mutex);
    return m_simTime;
}

SimZulu SimModel::zulu() const
{
    std::lock_guard lock(m_mutex);
    return zuluLocked();
}

SimObjectState SimModel::userAircraft() const
{
    std::lock_guard lock(m_mutex);
    return m_user;
}

std::vector<SimObjectState> SimModel::aiObjects() const
{
    std::lock_guard lock(m_mutex);
    std::vector<SimObjectState> result;
    for (const auto& [id, o] : m_ai)
        result.push_back(o);
    return result;
}

std::optional<SimObjectState> SimModel::aiObject(std::uint32_t objectId) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_ai.find(objectId);
    return it == m_ai.end() ? std::nullopt : std::optional<SimObjectState>(it->second);
}
