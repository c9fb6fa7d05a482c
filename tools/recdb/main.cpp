// recdb: create, dump, check and append to record databases from the command line.
// Names and values are typed and shown in UTF-8; the files hold GBK.

#include "database_creator.h"
#include "value_text.h"

#include "platform/encoding.h"
#include "platform/path.h"
#include "recdb/database.h"
#include "recdb/error_codes.h"
#include "recdb/file_check.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace recdb;

constexpr int usageExit = 2;
constexpr int failureExit = 1;

int usage()
{
    std::fputs("usage: recdb create FILE NAME:TYPE[:WIDTH]...\n"
               "       recdb dump FILE\n"
               "       recdb check FILE\n"
               "       recdb append FILE [VALUE]...\n"
               "TYPE: byte short int long single double bool datetime sub text byteset memo "
               "(or 1-12); WIDTH for text\n",
        stderr);
    return usageExit;
}

int report(int code)
{
    std::printf("%d %s\n", code, platform::gbkToUtf8(errorMessage(code)).c_str());
    return code == Ok ? 0 : failureExit;
}

std::optional<tool::FieldDefinition> parseField(const std::string& text)
{
    std::size_t first = text.find(':');
    if (first == std::string::npos)
        return std::nullopt;
    std::size_t second = text.find(':', first + 1);
    auto type = tool::parseFieldType(text.substr(first + 1, second - first - 1));
    if (!type)
        return std::nullopt;
    std::int32_t width = 0;
    if (second != std::string::npos) {
        try {
            width = std::stoi(text.substr(second + 1));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return tool::FieldDefinition { platform::utf8ToGbk(text.substr(0, first)), *type, width };
}

int create(const std::string& path, const std::vector<std::string>& specs)
{
    std::vector<tool::FieldDefinition> fields;
    for (const std::string& spec : specs) {
        auto field = parseField(spec);
        if (!field)
            return usage();
        fields.push_back(*field);
    }
    int code = tool::createDatabase(path, fields);
    return code ? report(code) : 0;
}

int open(const std::string& path, bool readOnly, std::unique_ptr<Database>& database)
{
    return Database::open(
        platform::systemFileSystem(), path, readOnly, ShareMode::Unrestricted, database);
}

int dump(const std::string& path)
{
    std::unique_ptr<Database> database;
    if (int code = open(path, true, database))
        return report(code);
    std::int32_t count = 0, nextId = 0;
    if (int code = database->lockedCounters(count, nextId))
        return report(code);
    std::printf("records %d, next id %d\n", count, nextId);
    std::vector<const Field*> fields;
    for (const Field& field : database->fields())
        fields.push_back(&field);
    std::vector<StoredRecord> records;
    if (int code = database->readAllRecords(fields, records))
        return report(code);
    for (const StoredRecord& record : records) {
        if (record.idResult)
            return report(record.idResult);
        const std::int32_t id = record.id;
        std::printf("%d%s", id < 0 ? -id : id, id < 0 ? " deleted" : "");
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (int code = record.fields[f].result)
                return report(code);
            std::printf("\t%s=%s", platform::gbkToUtf8(fields[f]->name).c_str(),
                tool::showValue(record.fields[f].value).c_str());
        }
        std::printf("\n");
    }
    return 0;
}

// The whole file is read: a damaged record or chain fails the check, not only the header.
int check(const std::string& path)
{
    CheckResult result = checkDatabaseFile(path);
    if (!result.where.empty())
        std::printf("%s: ", platform::gbkToUtf8(result.where).c_str());
    return report(result.code);
}

int append(const std::string& path, const std::vector<std::string>& values)
{
    std::unique_ptr<Database> database;
    if (int code = open(path, false, database))
        return report(code);
    const auto& fields = database->fields();
    if (values.size() > fields.size())
        return usage();
    std::vector<runtime::Value> parsed;
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto value = tool::parseValue(values[i], fields[i].type);
        if (!value) {
            std::fprintf(stderr, "recdb: \"%s\" does not fit field %s\n", values[i].c_str(),
                platform::gbkToUtf8(fields[i].name).c_str());
            return usageExit;
        }
        parsed.push_back(*value);
    }
    if (int code = database->appendBlank())
        return report(code);
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        if (int code = database->writeField(fields[i], parsed[i])) {
            // A half-filled record is no append: it is taken out again (marked deleted at
            // least, when another process keeps the file from being packed now).
            if (database->markDeleted() != recdb::Ok)
                std::fputs("recdb: the half-written record could not be taken out\n", stderr);
            else
                static_cast<void>(database->pack()); // another process may hold the file now
            return report(code);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 2)
        return usage();
    const std::string command = args[0];
    const std::string path = args[1];
    const std::vector<std::string> rest(args.begin() + 2, args.end());
    if (command == "create" && !rest.empty())
        return create(path, rest);
    if (command == "dump" && rest.empty())
        return dump(path);
    if (command == "check" && rest.empty())
        return check(path);
    if (command == "append")
        return append(path, rest);
    return usage();
}
