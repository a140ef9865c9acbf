#include "resultstore.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <variant>

namespace analyser {

using labdb::Database;
using labdb::Driver;
using labdb::Value;

namespace {

std::string lab(const Driver &db, const char *table)
{
    return db.qualify(Database::Laboratory, table);
}

std::string text(const Value &v)
{
    return v.value_or(std::string());
}

std::string trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<double> number(const std::string &s)
{
    const std::string t = trimmed(s);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Enough digits to keep what the analyser's precision gave, without float noise.
std::string formatNumber(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

bool exists(Driver &db, const std::string &sql, const std::string &arg)
{
    return !db.run(sql, {arg}).rows.empty();
}

// A sample is known by its label, by a typed sample number, or as a request number; timed urine
// work sends the same sample with "U" (urine) or "S" (serum) before it.
bool knownSample(Driver &db, const std::string &sample)
{
    const auto known = [&](const std::string &s) {
        return exists(db, "SELECT 1 FROM " + lab(db, "tbLabSampleLabel") + " WHERE SampleNum = ?", s) ||
               exists(db, "SELECT 1 FROM " + lab(db, "tbLabLogbook") + " WHERE AccessionNum = ?", s) ||
               exists(db, "SELECT 1 FROM " + lab(db, "tbLabMaster") + " WHERE RequestNum = ?", s);
    };
    if (known(sample))
        return true;
    return sample.size() > 1 && (sample[0] == 'U' || sample[0] == 'S') && known(sample.substr(1));
}

struct Placed {
    std::string examCode, value;
};

// What one message's results share is looked up once: a message carries several tests of a sample.
struct Lookups {
    std::map<std::pair<std::string, std::string>, std::optional<labdb::Row>> mappings;
    std::map<std::string, bool> samples;
};

// Where a result goes, or why it cannot go there yet.
std::variant<Placed, std::string> place(Driver &db, const std::string &instrument, const Result &r, Lookups &seen)
{
    const std::string sample = trimmed(r.sampleId);
    if (sample.empty())
        return std::string("no sample ID");
    if (trimmed(r.value).empty())
        return std::string("no value");
    auto [mapping, newMapping] = seen.mappings.try_emplace({instrument, trimmed(r.testCode)});
    if (newMapping) {
        labdb::ResultSet map = db.run("SELECT ExamCode, ResultField, Factor FROM " + lab(db, "tbLabAnalyserTestMap") +
                                          " WHERE InstrumentID = ? AND TestCode = ?",
                                      {instrument, trimmed(r.testCode)});
        if (!map.rows.empty())
            mapping->second = std::move(map.rows[0]);
    }
    if (!mapping->second)
        return "test code " + r.testCode + " is not mapped for analyser " + instrument;
    auto [known, newSample] = seen.samples.try_emplace(sample, false);
    if (newSample)
        known->second = knownSample(db, sample);
    if (!known->second)
        return "unknown sample " + r.sampleId;

    const labdb::Row &map = *mapping->second;
    Placed p{text(map[0]), r.value};
    const std::string field = trimmed(text(map[1]));
    std::optional<double> v = number(r.value);
    if (v) {
        if (const auto factor = number(text(map[2])))
            *v *= *factor;
        if (labdb::iequals(field, "CONVENTIONAL")) {
            const labdb::ResultSet f = db.run("SELECT Factor FROM " + lab(db, "tbLabResultFormat") +
                                                  " WHERE Code = ? ORDER BY EntryMode, ExamCode",
                                              {p.examCode});
            const auto toSi = f.rows.empty() ? std::nullopt : number(text(f.rows[0][0]));
            if (!toSi || *toSi == 0)
                return "exam " + p.examCode + " has no factor to convert a conventional value";
            *v *= *toSi;
        }
        p.value = formatNumber(*v);
    }
    // A text such as ">500" or "TNTC" is stored as sent.
    return p;
}

void quarantine(Driver &db, const std::string &instrument, const std::string &key, const Result &r,
                const std::string &reason)
{
    db.run("INSERT INTO " + lab(db, "tbLabAnalyserQuarantine") +
               " (InstrumentID, MessageKey, SampleNum, TestCode, Value, Unit, Flags, Status, ResultTime, RawRecord, "
               "Reason, ReceivedAt) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, " + db.nowExpr() + ")",
           {instrument, key, r.sampleId, r.testCode, r.value, r.unit, r.flags, r.status, r.resultTime, r.raw, reason});
}

int insertResult(Driver &db, const std::string &instrument, const std::string &key, const Result &r,
                 const Placed &p)
{
    const std::string table = lab(db, "tbLabInstrumentResult");
    const labdb::ResultSet replaced =
        db.run("UPDATE " + table + " SET Superseded = 1 WHERE InstrumentID = ? AND SampleNum = ? AND TestCode = ? "
                                   "AND Superseded = 0",
               {instrument, trimmed(r.sampleId), trimmed(r.testCode)});
    db.run("INSERT INTO " + table +
               " (InstrumentID, SampleNum, TestCode, ExamCode, sResult, ReceivedAt, Unit, Flags, Status, ResultTime, "
               "MessageKey, SentValue, Superseded) VALUES (?, ?, ?, ?, ?, " + db.nowExpr() + ", ?, ?, ?, ?, ?, ?, 0)",
           {instrument, trimmed(r.sampleId), trimmed(r.testCode), p.examCode, p.value, r.unit, r.flags, r.status,
            r.resultTime, key, r.value});
    return replaced.rowsAffected > 0 ? static_cast<int>(replaced.rowsAffected) : 0;
}

} // namespace

StoreOutcome storeMessage(Driver &db, const std::string &instrumentId, const Message &message)
{
    StoreOutcome out;
    labdb::Transaction tx(db);
    // Two connections of one analyser may deliver the same message at once.
    db.lockKey("analyser:" + instrumentId + ":" + message.key);
    const labdb::ResultSet seen =
        db.run("SELECT 1 FROM " + lab(db, "tbLabAnalyserMessage") + " WHERE InstrumentID = ? AND MessageKey = ?",
               {instrumentId, message.key});
    if (!seen.rows.empty()) {
        out.duplicate = true;
        return out;
    }
    Lookups lookups;
    for (const Result &r : message.results) {
        auto where = place(db, instrumentId, r, lookups);
        if (const auto *p = std::get_if<Placed>(&where)) {
            out.superseded += insertResult(db, instrumentId, message.key, r, *p);
            ++out.stored;
        } else {
            quarantine(db, instrumentId, message.key, r, std::get<std::string>(where));
            ++out.quarantined;
        }
    }
    db.run("INSERT INTO " + lab(db, "tbLabAnalyserMessage") +
               " (InstrumentID, MessageKey, Results, Quarantined, ReceivedAt) VALUES (?, ?, ?, ?, " + db.nowExpr() + ")",
           {instrumentId, message.key, std::to_string(out.stored), std::to_string(out.quarantined)});
    tx.commit();
    return out;
}

std::vector<Unmatched> unmatchedResults(Driver &db)
{
    std::vector<Unmatched> out;
    const labdb::ResultSet rs =
        db.run("SELECT QuarantineID, InstrumentID, SampleNum, TestCode, Reason, ReceivedAt FROM " +
                   lab(db, "tbLabAnalyserQuarantine") + " WHERE StoredAt IS NULL ORDER BY QuarantineID",
               {});
    for (const labdb::Row &row : rs.rows)
        out.push_back({std::stoll(text(row[0])), text(row[1]), text(row[2]), text(row[3]), text(row[4]), text(row[5])});
    return out;
}

RematchOutcome rematchResults(Driver &db)
{
    RematchOutcome out;
    labdb::Transaction tx(db);
    const std::string table = lab(db, "tbLabAnalyserQuarantine");
    const labdb::ResultSet rs =
        db.run("SELECT QuarantineID, InstrumentID, MessageKey, SampleNum, TestCode, Value, Unit, Flags, Status, "
               "ResultTime, RawRecord FROM " + table + " WHERE StoredAt IS NULL ORDER BY QuarantineID " +
                   db.lockClause(),
               {});
    Lookups lookups; // one transaction: the mappings and labels cannot change under it
    for (const labdb::Row &row : rs.rows) {
        const std::string instrument = text(row[1]);
        const Result r{text(row[3]), text(row[4]), text(row[5]), text(row[6]),
                       text(row[7]), text(row[8]), text(row[9]), text(row[10])};
        auto where = place(db, instrument, r, lookups);
        if (const auto *p = std::get_if<Placed>(&where)) {
            insertResult(db, instrument, text(row[2]), r, *p);
            db.run("UPDATE " + table + " SET StoredAt = " + db.nowExpr() + " WHERE QuarantineID = ?", {text(row[0])});
            ++out.stored;
        } else {
            db.run("UPDATE " + table + " SET Reason = ? WHERE QuarantineID = ?", {std::get<std::string>(where), text(row[0])});
            ++out.waiting;
        }
    }
    tx.commit();
    return out;
}

} // namespace analyser
