#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/AtomicFile.h"
#include "datapacket/AsciiText.h"
#include "datapacket/Datapacket.h"
#include "datapacket/ValueDecoding.h"

namespace kalvo {
namespace {

constexpr int kMaximumOpenElements = 63;

// Attribute names are short: comparing them in place is cheaper than a library call.
bool sameName(const std::string& attrName, std::string_view name) {
    if (attrName.size() != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (attrName[i] != name[i]) {
            return false;
        }
    }
    return true;
}

bool isWhitespace(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// Names and values in rows are a few bytes long: comparing sixteen bytes at a time finds their
// ends sooner than a byte loop, and sooner than a library search, which costs more to start
// than to run on them.
#if defined(__SSE2__)
constexpr std::size_t kBlock = 16;

__m128i blockAt(std::string_view document, std::size_t pos) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(document.data() + pos));
}

std::size_t firstMarked(std::size_t pos, __m128i marks) {
    return pos + static_cast<std::size_t>(
                     std::countr_zero(static_cast<unsigned>(_mm_movemask_epi8(marks))));
}
#endif

// Where the name that starts at `pos` ends: at a control character, a space, or one of "/>=?<".
std::size_t nameEnd(std::string_view document, std::size_t pos) {
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(' ');
    for (; pos + kBlock <= document.size(); pos += kBlock) {
        const __m128i bytes = blockAt(document, pos);
        __m128i ends = _mm_cmpeq_epi8(_mm_max_epu8(bytes, space), space);
        for (const char c : {'/', '>', '=', '?', '<'}) {
            ends = _mm_or_si128(ends, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)));
        }
        if (_mm_movemask_epi8(ends) != 0) {
            return firstMarked(pos, ends);
        }
    }
#endif
    while (pos < document.size() && !isWhitespace(document[pos]) && document[pos] != '\0' &&
           std::string_view("/>=?<").find(document[pos]) == std::string_view::npos) {
        ++pos;
    }
    return pos;
}

// Where the first `byte` at or after `pos` is, or npos.
std::size_t byteAt(std::string_view document, std::size_t pos, char byte) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; pos + kBlock <= document.size(); pos += kBlock) {
        const __m128i found = _mm_cmpeq_epi8(blockAt(document, pos), wanted);
        if (_mm_movemask_epi8(found) != 0) {
            return firstMarked(pos, found);
        }
    }
#endif
    while (pos < document.size() && document[pos] != byte) {
        ++pos;
    }
    return pos < document.size() ? pos : std::string_view::npos;
}

struct NamedKind {
    std::string_view fieldType;
    ColumnKind kind;
};

constexpr NamedKind kFieldTypes[] = {{"i4", ColumnKind::Integer},
                                     {"int", ColumnKind::Integer},
                                     {"i2", ColumnKind::Integer},
                                     {"i1", ColumnKind::Integer},
                                     {"i8", ColumnKind::Integer},
                                     {"ui1", ColumnKind::Integer},
                                     {"ui2", ColumnKind::Integer},
                                     {"ui4", ColumnKind::Integer},
                                     {"uint", ColumnKind::Integer},
                                     {"ui8", ColumnKind::Raw},
                                     {"boolean", ColumnKind::Boolean},
                                     {"r8", ColumnKind::Float},
                                     {"r10", ColumnKind::Raw},
                                     {"fixed", ColumnKind::Raw},
                                     {"fixedFMT", ColumnKind::Raw},
                                     {"date", ColumnKind::Date},
                                     {"time", ColumnKind::Time},
                                     {"dateTime", ColumnKind::DateAndTime},
                                     {"SQLdateTime", ColumnKind::DateAndTime},
                                     {"string", ColumnKind::String},
                                     {"string.uni", ColumnKind::String},
                                     {"bin.hex", ColumnKind::Raw},
                                     {"nested", ColumnKind::Raw},
                                     {"IntArray", ColumnKind::Raw},
                                     {"UIntArray", ColumnKind::Raw}};

}  // namespace

// Rows read on another thread: the second half of a large ROWDATA element.
struct RowsAhead;

class DatapacketParser {
public:
    // `release` is told the stretches of rows that have been read, every few megabytes.
    DatapacketParser(std::string_view document, std::string_view origin,
                     std::function<void(std::size_t, std::size_t)> release = {})
        : document_(document), origin_(origin), release_(std::move(release)) {}
    ~DatapacketParser();
    DatapacketParser(const DatapacketParser&) = delete;
    DatapacketParser& operator=(const DatapacketParser&) = delete;

    Table parse();

private:
    enum class Context { Document, DataPacket, Metadata, Fields, Params, RowData, Other };

    struct Attribute {
        std::string_view name;
        std::string_view value;
    };

    [[noreturn]] void fail(const std::string& what, std::size_t offset) const;
    bool startsWith(std::string_view text) const {
        return document_.substr(pos_, text.size()) == text;
    }
    void skipWhitespace();
    void skipPast(std::string_view terminator, std::string_view what);
    bool skipMarkup();
    std::string_view parseName();
    // Reads the attributes of a start tag; true when the tag closes itself.
    template <typename OnAttribute>
    bool forEachAttribute(OnAttribute&& onAttribute);
    bool parseAttributes(std::vector<Attribute>& attributes);
    bool parseRow();
    void parseDeclaration();
    void parseElement(int depth, Context context);
    // Reads the children of an open element up to its end tag; returns where that tag starts.
    std::size_t parseContent(int depth, std::string_view name, Context context);

    void reserveRows();
    std::size_t estimatedRows(std::size_t from, std::size_t to) const;
    // Where a second parser may start on the rows of a large ROWDATA element: a ROW tag in its
    // middle; none for a small one.
    std::optional<std::size_t> secondHalfStart() const;
    // The rows from `start` on are read by a second parser on another thread.
    void readRowsAhead(std::size_t start, std::size_t rows);
    // At the first tag from where the second parser started on: when that is its start and it
    // read its rows whole, they join the table as if this parser had read them, and the end
    // of the ROWDATA element is returned. Otherwise its work is dropped and this parser reads
    // on by itself, so that a damaged file fails as it always does.
    std::optional<std::size_t> takeRowsAhead(std::size_t tag);
    void declareColumn(const std::vector<Attribute>& attributes, std::size_t offset);
    void addParameters(const std::vector<Attribute>& attributes);
    void addParameterElement(const std::vector<Attribute>& attributes);
    void requireNewParameter(std::string_view name, std::string_view where);
    int columnOfAttribute(std::string_view name);
    void storeValue(std::size_t storedRow, int column, std::string_view raw);

    std::string_view document_;
    std::string_view origin_;
    std::function<void(std::size_t, std::size_t)> release_;
    std::size_t released_ = 0;
    std::unique_ptr<RowsAhead> ahead_;
    std::size_t pos_ = 0;
    bool utf8Variant_ = false;
    bool rowsStarted_ = false;
    Table table_;
    std::vector<Attribute> attributes_;
    int lastColumn_ = -1;
    std::unordered_set<std::string> declaredNames_;
    std::unordered_set<std::string> parameterNames_;
    std::vector<std::size_t> columnSetInRow_;
    // A table's cells are dense, so many columns times many rows could ask for far more memory
    // than any real file needs: the cells stay within a generous multiple of the file's bytes.
    std::size_t cellLimit_ = std::max<std::size_t>(std::size_t{1} << 24, 32 * document_.size());
};

struct RowsAhead {
    std::size_t start = 0;  // the ROW tag the second parser starts at
    std::future<void> done;
    std::unique_ptr<DatapacketParser> parser;
    std::size_t endTag = 0;  // where </ROWDATA> starts
};

DatapacketParser::~DatapacketParser() {
    if (ahead_ && ahead_->done.valid()) {
        ahead_->done.wait();  // its parser reads this document
    }
}

void DatapacketParser::fail(const std::string& what, std::size_t offset) const {
    std::string message = "Error in table file";
    if (!origin_.empty()) {
        message += " \"" + std::string(origin_) + "\"";
    }
    throw std::runtime_error(message + " at byte " + std::to_string(offset) + ": " + what + ".");
}

void DatapacketParser::skipWhitespace() {
    while (pos_ < document_.size() && isWhitespace(document_[pos_])) {
        ++pos_;
    }
}

void DatapacketParser::skipPast(std::string_view terminator, std::string_view what) {
    const std::size_t start = pos_;
    const std::size_t end = document_.find(terminator, pos_);
    if (end == std::string_view::npos) {
        fail("the " + std::string(what) + " is not closed by \"" + std::string(terminator) + "\"",
             start);
    }
    pos_ = end + terminator.size();
}

// Comments, processing instructions, CDATA sections and document type declarations carry
// nothing for a table.
bool DatapacketParser::skipMarkup() {
    if (startsWith("<!--")) {
        skipPast("-->", "comment");
    } else if (startsWith("<?")) {
        skipPast("?>", "processing instruction");
    } else if (startsWith("<![CDATA[")) {
        skipPast("]]>", "CDATA section");
    } else if (startsWith("<!")) {
        skipPast(">", "declaration");
    } else {
        return false;
    }
    return true;
}

std::string_view DatapacketParser::parseName() {
    const std::size_t start = pos_;
    pos_ = nameEnd(document_, pos_);
    return document_.substr(start, pos_ - start);
}

// Rows are nearly all of a file's bytes and are read here: the position stays local until
// the tag ends, since storing it at every byte would cost more than the reading.
template <typename OnAttribute>
bool DatapacketParser::forEachAttribute(OnAttribute&& onAttribute) {
    const std::string_view document = document_;
    std::size_t pos = pos_;
    const auto skipWhitespace = [&] {
        while (pos < document.size() && isWhitespace(document[pos])) {
            ++pos;
        }
    };
    for (;;) {
        skipWhitespace();
        if (pos >= document.size()) {
            fail("the document ends inside a tag", pos);
        }
        const char c = document[pos];
        if (c == '>') {
            pos_ = pos + 1;
            return false;
        }
        if (c == '/' || c == '?') {
            if (pos + 1 >= document.size() || document[pos + 1] != '>') {
                fail(std::string("'>' expected after '") + c + "'", pos + 1);
            }
            pos_ = pos + 2;
            return true;
        }
        const std::size_t nameOffset = pos;
        pos = nameEnd(document, pos);
        const std::string_view name = document.substr(nameOffset, pos - nameOffset);
        if (name.empty()) {
            fail(std::string("unexpected '") + c + "' in a tag", nameOffset);
        }
        skipWhitespace();
        if (pos >= document.size() || document[pos] != '=') {
            fail("'=' expected after the attribute " + std::string(name), pos);
        }
        ++pos;
        skipWhitespace();
        if (pos >= document.size() || (document[pos] != '"' && document[pos] != '\'')) {
            fail("a quoted value expected for the attribute " + std::string(name), pos);
        }
        const char quote = document[pos++];
        const std::size_t valueEnd = byteAt(document, pos, quote);
        if (valueEnd == std::string_view::npos) {
            fail("the value of the attribute " + std::string(name) + " is not closed", pos - 1);
        }
        onAttribute(name, document.substr(pos, valueEnd - pos));
        pos = valueEnd + 1;
    }
}

bool DatapacketParser::parseAttributes(std::vector<Attribute>& attributes) {
    attributes.clear();
    const bool selfClosing = forEachAttribute([&](std::string_view name, std::string_view value) {
        attributes.push_back({name, value});
    });
    // XML allows an attribute once per element: a second one would silently win or lose.
    std::vector<std::string_view> names;
    names.reserve(attributes.size());
    for (const Attribute& attribute : attributes) {
        names.push_back(attribute.name);
    }
    std::sort(names.begin(), names.end());
    if (const auto twice = std::adjacent_find(names.begin(), names.end()); twice != names.end()) {
        // Named where it comes the second time.
        bool seen = false;
        for (const Attribute& attribute : attributes) {
            if (attribute.name == *twice && std::exchange(seen, true)) {
                fail("the attribute " + std::string(attribute.name) +
                         " appears twice in one element",
                     static_cast<std::size_t>(attribute.name.data() - document_.data()));
            }
        }
    }
    return selfClosing;
}

// Rows are most of a file, so their values go into the table as they are read.
bool DatapacketParser::parseRow() {
    if (table_.cells_.size() + table_.columns_.size() > cellLimit_) {
        fail("more rows of " + std::to_string(table_.columns_.size()) +
                 " columns than a file of this size can hold",
             pos_);
    }
    const std::size_t stored = table_.appendStoredRow();
    // Each column may have one value in a row; the stamp tells which ones this row set.
    columnSetInRow_.resize(table_.columns_.size(), 0);
    const std::size_t stamp = stored + 1;
    bool stateSet = false;
    int state = kRowUnchanged;
    lastColumn_ = -1;
    const auto twice = [&](std::string_view name) {
        fail("the attribute " + std::string(name) + " appears twice in one ROW",
             static_cast<std::size_t>(name.data() - document_.data()));
    };
    const bool selfClosing = forEachAttribute([&](std::string_view name, std::string_view value) {
        if (name == "RowState") {
            if (std::exchange(stateSet, true)) {
                twice(name);
            }
            state = static_cast<int>(decodeInteger(value).value_or(0));
        } else if (const int column = columnOfAttribute(name); column >= 0) {
            if (std::exchange(columnSetInRow_[static_cast<std::size_t>(column)], stamp) == stamp) {
                twice(name);
            }
            storeValue(stored, column, value);
        }
    });
    table_.finishStoredRow(stored, state);
    return selfClosing;
}

void DatapacketParser::parseDeclaration() {
    pos_ += 2;
    parseName();
    if (!parseAttributes(attributes_)) {
        fail("the declaration is not closed by \"?>\"", pos_);
    }
    for (const Attribute& attribute : attributes_) {
        if (equalsIgnoringCase(attribute.name, "encoding") &&
            equalsIgnoringCase(attribute.value, "UTF-8")) {
            utf8Variant_ = true;
        }
    }
}

Table DatapacketParser::parse() {
    skipWhitespace();
    if (pos_ >= document_.size() || document_[pos_] != '<') {
        fail("the document does not start with '<'", pos_);
    }
    if (startsWith("<?")) {
        parseDeclaration();
    }
    for (;;) {
        skipWhitespace();
        if (pos_ >= document_.size()) {
            fail("the document holds no DATAPACKET element", pos_);
        }
        if (document_[pos_] != '<') {
            fail("text outside the DATAPACKET element", pos_);
        }
        if (!skipMarkup()) {
            break;
        }
    }
    parseElement(1, Context::Document);
    HugePageAllocator<Table::Cell>::releaseUnused(table_.cells_.data(), table_.cells_.size(),
                                                  table_.cells_.capacity());
    HugePageAllocator<std::uint8_t>::releaseUnused(table_.present_.data(), table_.present_.size(),
                                                   table_.present_.capacity());
    table_.open_ = true;
    return std::move(table_);
}

void DatapacketParser::parseElement(int depth, Context context) {
    const std::size_t offset = pos_;
    ++pos_;
    const std::string_view name = parseName();
    if (name.empty()) {
        fail("an element without a name", offset);
    }
    if (depth > kMaximumOpenElements) {
        fail("more than " + std::to_string(kMaximumOpenElements) + " elements are open", offset);
    }
    const bool isRow = context == Context::RowData && name == "ROW";
    const bool selfClosing = isRow ? parseRow() : parseAttributes(attributes_);

    Context inner = Context::Other;
    std::optional<std::size_t> rowWithContent;
    bool fieldDeclared = false;
    switch (context) {
        case Context::Document:
            if (name != "DATAPACKET") {
                fail("the document element is <" + std::string(name) + ">, not <DATAPACKET>",
                     offset);
            }
            inner = Context::DataPacket;
            break;
        case Context::DataPacket:
            if (name == "METADATA") {
                inner = Context::Metadata;
            } else if (name == "ROWDATA") {
                rowsStarted_ = true;
                reserveRows();
                inner = Context::RowData;
            }
            break;
        case Context::Metadata:
            if (name == "FIELDS") {
                inner = Context::Fields;
            } else if (name == "PARAMS") {
                addParameters(attributes_);
                inner = Context::Params;
            }
            break;
        case Context::Fields:
            if (name == "FIELD") {
                declareColumn(attributes_, offset);
                fieldDeclared = true;
            }
            break;
        case Context::Params:
            if (name == "PARAM") {
                addParameterElement(attributes_);
            }
            break;
        case Context::RowData:
            if (isRow) {
                rowWithContent = table_.rowStates_.size() - 1;
            }
            break;
        case Context::Other:
            break;
    }
    if (selfClosing) {
        return;
    }
    const std::size_t contentStart = pos_;
    const std::size_t contentEnd = parseContent(depth, name, inner);
    if (!fieldDeclared && !rowWithContent) {
        return;  // the content of any other element is not kept: no pass over it again
    }
    // Nested tables and other child elements of a declaration or a row are kept verbatim.
    const std::string_view content = document_.substr(contentStart, contentEnd - contentStart);
    if (content.find('<') != std::string_view::npos) {
        if (fieldDeclared) {
            table_.columns_.back().content = content;
        } else {
            table_.rowContent_[*rowWithContent] = content;
        }
    }
}

std::size_t DatapacketParser::parseContent(int depth, std::string_view name, Context context) {
    for (;;) {
        const std::size_t tag = document_.find('<', pos_);
        if (tag == std::string_view::npos) {
            fail("the document ends inside <" + std::string(name) + ">", document_.size());
        }
        if (ahead_ && context == Context::RowData && tag >= ahead_->start) {
            if (const std::optional<std::size_t> end = takeRowsAhead(tag)) {
                return *end;
            }
        }
        pos_ = tag;
        if (startsWith("</")) {
            pos_ += 2;
            const std::string_view endName = parseName();
            skipWhitespace();
            if (pos_ >= document_.size() || document_[pos_] != '>') {
                fail("'>' expected to end the tag </" + std::string(endName) + ">", pos_);
            }
            if (endName != name) {
                fail("</" + std::string(endName) + "> closes <" + std::string(name) + ">", tag);
            }
            ++pos_;
            return tag;
        }
        if (!skipMarkup()) {
            parseElement(depth + 1, context);
        }
        // The rows read so far are in the table: their bytes can leave memory, so that the
        // file and the table it becomes are not both held whole.
        constexpr std::size_t kReleaseStep = 1 << 20;
        if (context == Context::RowData && release_ && pos_ - released_ >= kReleaseStep) {
            release_(released_, pos_);
            released_ = pos_;
        }
    }
}

// Sizing the row storage once spares the copies of growing it and keeps the peak memory of a
// large file near its final size. Counting the rows would be a pass over the whole file, so
// their number is estimated from the spacing of the first rows, twice over: the room of a large
// table is address space until rows fill it, and rows shorter than the first only make the
// storage grow as it otherwise would. The reservation stays within what the rest of the file
// can hold: one "<ROW/>" takes six bytes, and the cells no more than the rows may have.
std::size_t DatapacketParser::estimatedRows(std::size_t from, std::size_t to) const {
    constexpr std::size_t kSampledRows = 64;
    constexpr std::size_t kSmallestRow = 6;
    std::size_t first = std::string_view::npos;
    std::size_t last = 0;
    std::size_t sampled = 0;
    for (std::size_t at = document_.find("<ROW", from); at < to && sampled < kSampledRows;
         at = document_.find("<ROW", at + 4)) {
        first = std::min(first, at);
        last = at;
        ++sampled;
    }
    if (sampled == 0) {
        return 0;
    }
    const std::size_t spacing =
        sampled == 1 ? to - first : std::max<std::size_t>((last - first) / (sampled - 1), 1);
    const std::size_t columns = std::max<std::size_t>(table_.columns_.size(), 1);
    return std::min(
        {2 * ((to - from) / spacing + 1), (to - from) / kSmallestRow + 1, cellLimit_ / columns});
}

void DatapacketParser::reserveRows() {
    table_.reserveRows(estimatedRows(pos_, document_.size()));
    if (const std::optional<std::size_t> secondStart = secondHalfStart()) {
        readRowsAhead(*secondStart, estimatedRows(*secondStart, document_.size()));
    }
}

std::optional<std::size_t> DatapacketParser::secondHalfStart() const {
    constexpr std::size_t kWorthASecondThread = 1 << 20;
    const std::size_t rest = document_.size() - pos_;
    if (rest < kWorthASecondThread || std::thread::hardware_concurrency() < 2) {
        return std::nullopt;
    }
    for (std::size_t at = document_.find("<ROW", pos_ + rest / 2);
         at != std::string_view::npos && at + 4 < document_.size();
         at = document_.find("<ROW", at + 4)) {
        const char next = document_[at + 4];
        if (isWhitespace(next) || next == '/' || next == '>') {
            return at;
        }
    }
    return std::nullopt;
}

void DatapacketParser::readRowsAhead(std::size_t start, std::size_t rows) {
    auto ahead = std::make_unique<RowsAhead>();
    ahead->start = start;
    ahead->parser = std::make_unique<DatapacketParser>(document_, origin_, release_);
    DatapacketParser& second = *ahead->parser;
    second.pos_ = start;
    second.released_ = start;
    second.utf8Variant_ = utf8Variant_;
    second.rowsStarted_ = true;
    second.table_.columns_ = table_.columns_;
    second.table_.reserveRows(rows);
    // The ROWDATA element's content, from the start on, as this parser would read it.
    ahead->done = std::async(std::launch::async, [&second, endTag = &ahead->endTag] {
        *endTag = second.parseContent(2, "ROWDATA", Context::RowData);
    });
    ahead_ = std::move(ahead);
}

// Appends `from` to `into` a few megabytes at a time, what has been copied leaving memory as it
// goes, so that the two tables are not both held whole.
template <typename Element>
void appendReleasing(std::vector<Element, HugePageAllocator<Element>>& into,
                     std::vector<Element, HugePageAllocator<Element>>& from) {
    constexpr std::size_t kPiece = (std::size_t{2} << 20) / sizeof(Element);
    for (std::size_t first = 0; first < from.size(); first += kPiece) {
        const std::size_t count = std::min(kPiece, from.size() - first);
        const auto piece = from.begin() + static_cast<std::ptrdiff_t>(first);
        into.insert(into.end(), piece, piece + static_cast<std::ptrdiff_t>(count));
        HugePageAllocator<Element>::releaseRead(from.data(), first + count, from.capacity());
    }
    from = {};
}

std::optional<std::size_t> DatapacketParser::takeRowsAhead(std::size_t tag) {
    const std::unique_ptr<RowsAhead> ahead = std::move(ahead_);
    bool whole = true;
    try {
        ahead->done.get();
    } catch (const std::exception&) {
        whole = false;
    }
    Table& rows = ahead->parser->table_;
    if (tag != ahead->start || !whole || table_.cells_.size() + rows.cells_.size() > cellLimit_ ||
        table_.textPool_.size() + rows.textPool_.size() > UINT32_MAX) {
        return std::nullopt;
    }
    const std::size_t storedBefore = table_.rowStates_.size();
    const auto textOffset = static_cast<std::uint32_t>(table_.textPool_.size());
    const std::size_t columns = table_.columns_.size();
    for (std::size_t column = 0; column < columns; ++column) {
        const ColumnKind kind = table_.columns_[column].kind;
        if (kind != ColumnKind::String && kind != ColumnKind::Memo && kind != ColumnKind::Raw) {
            continue;
        }
        for (std::size_t index = column; index < rows.cells_.size(); index += columns) {
            if (rows.present_[index] != 0) {
                rows.cells_[index].text.offset += textOffset;
            }
        }
    }
    appendReleasing(table_.cells_, rows.cells_);
    appendReleasing(table_.present_, rows.present_);
    table_.rowStates_.insert(table_.rowStates_.end(), rows.rowStates_.begin(),
                             rows.rowStates_.end());
    for (const std::uint32_t current : rows.currentRows_) {
        table_.currentRows_.push_back(static_cast<std::uint32_t>(current + storedBefore));
    }
    table_.textPool_.append(rows.textPool_);
    for (auto& [row, content] : rows.rowContent_) {
        table_.rowContent_.emplace(row + storedBefore, std::move(content));
    }
    pos_ = ahead->parser->pos_;
    released_ = ahead->parser->released_;
    return ahead->endTag;
}

void DatapacketParser::declareColumn(const std::vector<Attribute>& attributes, std::size_t offset) {
    if (rowsStarted_) {
        fail("a FIELD element after the rows", offset);
    }
    Column column;
    std::optional<std::string> fieldName;
    bool hasAttrName = false;
    bool hasFieldType = false;
    for (const Attribute& attribute : attributes) {
        const std::string value = decodedText(attribute.value, utf8Variant_);
        const std::string_view name = attribute.name;
        if (name == "fieldname") {
            fieldName = value;
        } else if (name == "attrname") {
            column.attrName = value, hasAttrName = true;
        } else if (name == "fieldtype") {
            column.fieldType = value, hasFieldType = true;
        } else if (name == "readonly") {
            column.readonly = equalsIgnoringCase(value, "true");
        } else if (name == "required") {
            column.required = equalsIgnoringCase(value, "true");
        } else if (name == "hidden") {
            column.hidden = equalsIgnoringCase(value, "true");
        } else if (name == "linkfield") {
            column.linkfield = equalsIgnoringCase(value, "true");
        } else if (name == "SUBTYPE") {
            column.subtype = value;
        } else if (name == "DECIMALS") {
            column.decimals = value;
        } else if (name == "WIDTH") {
            column.width = value;
        } else if (name == "CALCULATED") {
            column.calculated = value;
        }
    }
    if (!hasAttrName) {
        fail("a FIELD element has no attrname", offset);
    }
    // The attrname names the column's attribute in every row, so it must be usable as one;
    // rows carry names as plain ASCII, so a name beyond it could never match its values.
    const bool usableName =
        !column.attrName.empty() && column.attrName != "RowState" &&
        std::none_of(column.attrName.begin(), column.attrName.end(), [](char c) {
            return isWhitespace(c) ||
                   std::string_view("\"'<>/=&?").find(c) != std::string_view::npos || c == '\0' ||
                   static_cast<unsigned char>(c) >= 0x80;
        });
    if (!usableName) {
        fail("the attrname \"" + column.attrName + "\" cannot name an attribute", offset);
    }
    if (!declaredNames_.insert(column.attrName).second) {
        fail("the FIELD " + column.attrName + " is declared twice", offset);
    }
    if (!hasFieldType) {
        fail("the FIELD " + column.attrName + " has no fieldtype", offset);
    }
    bool known = false;
    for (const NamedKind& entry : kFieldTypes) {
        if (equalsIgnoringCase(entry.fieldType, column.fieldType)) {
            column.kind = entry.kind;
            known = true;
            break;
        }
    }
    if (!known) {
        fail("the FIELD " + column.attrName + " has the unknown fieldtype \"" + column.fieldType +
                 "\"",
             offset);
    }
    if (equalsIgnoringCase(column.fieldType, "bin.hex") && column.subtype &&
        equalsIgnoringCase(*column.subtype, "Text")) {
        column.kind = ColumnKind::Memo;
    }
    if (column.kind == ColumnKind::String && column.width) {
        column.size = static_cast<std::size_t>(decodeInteger(*column.width).value_or(0));
    }
    column.name = fieldName.value_or(column.attrName);
    table_.columns_.push_back(std::move(column));
}

void DatapacketParser::addParameters(const std::vector<Attribute>& attributes) {
    for (const Attribute& attribute : attributes) {
        if (attribute.name == "CHANGE_LOG") {
            appendUnsignedList(table_.changeLog_, attribute.value);
        } else if (isKnownParameterName(attribute.name)) {
            requireNewParameter(attribute.name, attribute.name);
            table_.parameters_.push_back({std::string(attribute.name),
                                          decodedText(attribute.value, utf8Variant_),
                                          {},
                                          false});
        }
    }
}

// A parameter given twice (in two PARAMS elements, or as an attribute and a PARAM) would be
// written twice into one element, which no reader accepts.
void DatapacketParser::requireNewParameter(std::string_view name, std::string_view where) {
    if (!parameterNames_.emplace(name).second) {
        fail("the parameter " + std::string(name) + " is given twice",
             static_cast<std::size_t>(where.data() - document_.data()));
    }
}

void DatapacketParser::addParameterElement(const std::vector<Attribute>& attributes) {
    Parameter parameter;
    std::string_view nameAttribute;
    bool named = false;
    for (const Attribute& attribute : attributes) {
        std::string value = decodedText(attribute.value, utf8Variant_);
        if (attribute.name == "Name") {
            parameter.name = std::move(value), named = true;
            nameAttribute = attribute.name;
        } else if (attribute.name == "Value") {
            parameter.value = std::move(value);
        } else if (attribute.name == "Type") {
            parameter.type = std::move(value);
        } else if (attribute.name == "Roundtrip") {
            parameter.roundtrip = equalsIgnoringCase(value, "true");
        }
    }
    if (!named) {
        return;
    }
    if (parameter.name == "CHANGE_LOG") {
        appendUnsignedList(table_.changeLog_, parameter.value);
    } else {
        requireNewParameter(parameter.name, nameAttribute);
        table_.parameters_.push_back(std::move(parameter));
    }
}

int DatapacketParser::columnOfAttribute(std::string_view name) {
    // Rows name their columns in declaration order, leaving out the null ones, so the search
    // starts after the column found last.
    const auto& columns = table_.columns_;
    const int count = static_cast<int>(columns.size());
    const auto found = [&](int column) {
        if (sameName(columns[static_cast<std::size_t>(column)].attrName, name)) {
            lastColumn_ = column;
            return true;
        }
        return false;
    };
    for (int column = lastColumn_ + 1; column < count; ++column) {
        if (found(column)) {
            return column;
        }
    }
    for (int column = 0; column <= lastColumn_ && column < count; ++column) {
        if (found(column)) {
            return column;
        }
    }
    return -1;
}

void DatapacketParser::storeValue(std::size_t stored, int column, std::string_view raw) {
    Table::Cell cell;
    switch (table_.columns_[static_cast<std::size_t>(column)].kind) {
        case ColumnKind::Integer:
            if (const auto value = decodeInteger(raw)) {
                cell.integer = *value;
                table_.storeNumber(stored, column, cell);
            }
            break;
        case ColumnKind::Boolean:
            if (!raw.empty()) {
                cell.integer = raw.front() == 'T' || raw.front() == 't' ? 1 : 0;
                table_.storeNumber(stored, column, cell);
            }
            break;
        case ColumnKind::Float:
            if (const auto value = decodeFloat(raw)) {
                cell.real = *value;
                table_.storeNumber(stored, column, cell);
            }
            break;
        case ColumnKind::DateAndTime:
        case ColumnKind::Date:
            if (const auto value = decodeDateTime(raw)) {
                cell.real = *value;
                table_.storeNumber(stored, column, cell);
            }
            break;
        case ColumnKind::Time:
            if (const auto value = decodeTime(raw)) {
                cell.real = *value;
                table_.storeNumber(stored, column, cell);
            }
            break;
        case ColumnKind::String:
        case ColumnKind::Memo: {
            // Decoded straight into the table's text: a value of hundreds of megabytes is
            // held once besides the file, not once more on the way.
            std::string& pool = table_.textPool_;
            const std::size_t offset = pool.size();
            if (pool.capacity() - offset < raw.size()) {
                pool.reserve(offset + std::max(raw.size(), offset));
            }
            appendDecodedText(pool, raw, utf8Variant_);
            table_.storePooledText(stored, column, offset);
            break;
        }
        case ColumnKind::Raw:
            table_.storeText(stored, column, raw);
            break;
    }
}

void parseDatapacket(Table& table, std::string_view document, std::string_view origin) {
    table.close();
    DatapacketParser parser(document, origin);
    table = parser.parse();
}

void readDatapacket(Table& table, const std::string& path) {
    table.close();
    const FileContent document(path);
    table = DatapacketParser(document.bytes(), path, [&document](std::size_t from, std::size_t to) {
                document.release(from, to);
            }).parse();
}

}  // namespace kalvo
