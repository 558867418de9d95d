// Builds the template link base that a first run copies into place, from the seed rows in
// resources/template/zev-template.tsv.
//
// Usage: zev_template_gen <seed.tsv> <out.sqlite>
//
// The seed has one link per line: ZEVLET_ID, BASE, CLASS, DATE_IN, DATE_OUT, CHILD, PARENT,
// RELATION and a note. For a value element (class KELIElemBase) the note is its value: a word in
// single quotes when its model is 3, a number when its model is 4; its BASE is the WORD_ID or
// NUMBER_ID of that value. The other notes are comments.
//
// The file is written beside the output and renamed over it at the end, so a failed run never
// leaves a partial template.

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kSchema = R"sql(
CREATE TABLE ZEVLETS (ZEVLET_ID INTEGER PRIMARY KEY, BASE INTEGER, CLASS TEXT, DATE_IN REAL, DATE_OUT REAL,
                      CHILD_ZEVLET INTEGER, PARENT_ZEVLET INTEGER, RELATION INTEGER);
CREATE TABLE WORD (WORD_ID INTEGER PRIMARY KEY, ZEVLET_ID INTEGER, WORD TEXT);
CREATE TABLE NUMBER (NUMBER_ID INTEGER PRIMARY KEY, ZEVLET_ID INTEGER, NUMBER NUMERIC);
CREATE TABLE SETTINGS (NAME TEXT, VALUE);
)sql";

const char* const kIndexes = R"sql(
CREATE INDEX RelationIndex ON ZEVLETS(RELATION ASC);
CREATE INDEX DateInIndex ON ZEVLETS(DATE_IN ASC);
CREATE INDEX WordIndex ON WORD(WORD);
CREATE INDEX NumbIndex ON NUMBER(NUMBER);
INSERT INTO SETTINGS VALUES ('dbVersion', 3);
)sql";

constexpr long long kWordModel = 3;
constexpr long long kNumberModel = 4;

struct Row {
    long long id, base;
    std::string className;
    double in, out;
    long long child, parent, relation;
    std::string note;
};

[[noreturn]] void fail(const std::string& message)
{
    std::cerr << "zev_template_gen: " << message << "\n";
    std::exit(1);
}

long long integer(const std::string& field, int line)
{
    char* end = nullptr;
    const long long v = std::strtoll(field.c_str(), &end, 10);
    if (field.empty() || *end)
        fail("line " + std::to_string(line) + ": not an integer: '" + field + "'");
    return v;
}

double real(const std::string& field, int line)
{
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    if (field.empty() || *end)
        fail("line " + std::to_string(line) + ": not a number: '" + field + "'");
    return v;
}

std::vector<Row> readSeed(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::vector<Row> rows;
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (line == 1 || text.empty())
            continue; // header
        std::vector<std::string> f;
        std::stringstream ss(text);
        std::string field;
        while (std::getline(ss, field, '\t'))
            f.push_back(field);
        if (f.size() == 8)
            f.emplace_back();
        if (f.size() != 9)
            fail("line " + std::to_string(line) + ": expected 9 fields");
        rows.push_back(Row{integer(f[0], line), integer(f[1], line), f[2], real(f[3], line), real(f[4], line),
                           integer(f[5], line), integer(f[6], line), integer(f[7], line), f[8]});
    }
    return rows;
}

void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
        fail(std::string("SQL failed: ") + (error ? error : "?"));
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        fail(std::string("prepare failed: ") + sqlite3_errmsg(db));
    return s;
}

void stepAndReset(sqlite3* db, sqlite3_stmt* s, long long id)
{
    if (sqlite3_step(s) != SQLITE_DONE)
        fail("insert of " + std::to_string(id) + " failed: " + sqlite3_errmsg(db));
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: zev_template_gen <seed.tsv> <out.sqlite>\n";
        return 2;
    }
    const std::vector<Row> rows = readSeed(argv[1]);
    const std::filesystem::path out = argv[2];
    const std::filesystem::path partial = out.string() + ".partial";
    std::filesystem::remove(partial);

    sqlite3* db = nullptr;
    if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK)
        fail("cannot create " + partial.string());
    exec(db, "PRAGMA journal_mode=DELETE;");
    exec(db, "BEGIN;");
    exec(db, kSchema);

    sqlite3_stmt* link = prepare(db, "INSERT INTO ZEVLETS VALUES (?, ?, ?, ?, ?, ?, ?, ?);");
    sqlite3_stmt* word = prepare(db, "INSERT INTO WORD VALUES (?, ?, ?);");
    sqlite3_stmt* number = prepare(db, "INSERT INTO NUMBER VALUES (?, ?, ?);");
    for (const Row& r : rows) {
        if (r.id <= 0 || r.id >= 100000000)
            fail("id " + std::to_string(r.id) + " is outside the template's range");
        sqlite3_bind_int64(link, 1, r.id);
        sqlite3_bind_int64(link, 2, r.base);
        sqlite3_bind_text(link, 3, r.className.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(link, 4, r.in);
        sqlite3_bind_double(link, 5, r.out);
        sqlite3_bind_int64(link, 6, r.child);
        sqlite3_bind_int64(link, 7, r.parent);
        sqlite3_bind_int64(link, 8, r.relation);
        stepAndReset(db, link, r.id);

        if (r.className != "KELIElemBase")
            continue;
        if (r.child == kWordModel) {
            if (r.note.size() < 2 || r.note.front() != '\'' || r.note.back() != '\'')
                fail("word element " + std::to_string(r.id) + " has no quoted word");
            const std::string text = r.note.substr(1, r.note.size() - 2);
            sqlite3_bind_int64(word, 1, r.base);
            sqlite3_bind_int64(word, 2, r.id);
            sqlite3_bind_text(word, 3, text.c_str(), -1, SQLITE_TRANSIENT);
            stepAndReset(db, word, r.id);
        } else if (r.child == kNumberModel) {
            sqlite3_bind_int64(number, 1, r.base);
            sqlite3_bind_int64(number, 2, r.id);
            sqlite3_bind_double(number, 3, real(r.note, 0));
            stepAndReset(db, number, r.id);
        } else {
            fail("value element " + std::to_string(r.id) + " belongs to neither the word nor the number model");
        }
    }
    sqlite3_finalize(link);
    sqlite3_finalize(word);
    sqlite3_finalize(number);
    exec(db, kIndexes);
    exec(db, "COMMIT;");
    exec(db, "VACUUM;");
    if (sqlite3_close(db) != SQLITE_OK)
        fail("close failed");
    std::filesystem::rename(partial, out);
    return 0;
}
