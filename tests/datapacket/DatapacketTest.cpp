#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "datapacket/Datapacket.h"
#include "support/TemporaryFolder.h"
#include "support/TextDifference.h"

namespace kalvo {
namespace {

using test::fileText;
using test::TemporaryFolder;
using test::writeFileText;

constexpr std::string_view kHead = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";

std::string document(std::string_view fields, std::string_view params, std::string_view rows) {
    return std::string(kHead) + "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" +
           std::string(fields) + "</FIELDS>" + std::string(params) + "</METADATA><ROWDATA>" +
           std::string(rows) + "</ROWDATA></DATAPACKET>";
}

Table parsed(const std::string& text) {
    Table table;
    parseDatapacket(table, text);
    return table;
}

Table oneColumnTable(FieldType type, std::size_t width = 0) {
    Table table;
    table.open({Column::declare("Value", type, width)});
    return table;
}

// The row element of a one-column table holding the value.
std::string rowOf(const Table& table) {
    const std::string text = datapacketText(table);
    const std::size_t start = text.find("<ROWDATA>") + 9;
    return text.substr(start, text.find("</ROWDATA>") - start);
}

class SampleFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleFiles, ReadThenWriteReproducesTheFile) {
    const std::string path = std::string(KALVO_TEST_FIXTURES) + "/datapackets/" + GetParam();
    std::string expected = fileText(path);
    ASSERT_FALSE(expected.empty());
    if (GetParam() == "parts.xml") {
        // That writer rounds this one float differently from the g conversion with 16 digits.
        const std::size_t at = expected.find("\"859.57\"");
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, 8, "\"859.5700000000001\"");
    }
    Table table;
    readDatapacket(table, path);
    EXPECT_EQ(datapacketText(table), expected);
}

std::vector<std::string> sampleFileNames() {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(KALVO_TEST_FIXTURES) + "/datapackets")) {
        if (entry.path().extension() == ".xml") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Datapacket, SampleFiles, ::testing::ValuesIn(sampleFileNames()),
                         [](const auto& p) { return p.param.substr(0, p.param.size() - 4); });

TEST(Datapacket, SampleValuesDecodeByKind) {
    Table table;
    readDatapacket(table, std::string(KALVO_TEST_FIXTURES) + "/datapackets/events.xml");
    ASSERT_GT(table.rowCount(), 0U);
    const int date = table.findColumn("Event_Date");
    const int time = table.findColumn("Event_Time");
    ASSERT_GE(date, 0);
    ASSERT_GE(time, 0);
    EXPECT_EQ(table.columns()[static_cast<std::size_t>(date)].kind, ColumnKind::Date);
    EXPECT_EQ(table.columns()[static_cast<std::size_t>(time)].kind, ColumnKind::Time);
    EXPECT_TRUE(table.columns()[0].readonly);
    EXPECT_EQ(table.parameters().front().name, "DEFAULT_ORDER");
}

TEST(Datapacket, EmptyTableIsWrittenWithBareParamsAndRowData) {
    Table table = oneColumnTable(FieldType::Integer);
    const std::string expected =
        document("<FIELD attrname=\"Value\" fieldtype=\"i4\"/>", "<PARAMS/>", "");
    EXPECT_EQ(datapacketText(table), expected);
    const Table back = parsed(expected);
    EXPECT_EQ(back.rowCount(), 0U);
    EXPECT_EQ(back.columns().size(), 1U);
}

TEST(Datapacket, EmptyingKeepsParametersAndRestartsTheChangeLog) {
    Table table = parsed(document("<FIELD attrname=\"Value\" fieldtype=\"i4\"/>",
                                  "<PARAMS LCID=\"1033\" CHANGE_LOG=\"1 0 4\"/>",
                                  "<ROW RowState=\"4\" Value=\"1\"/>"));
    table.empty();
    for (int value : {7, 8}) {
        table.setInteger(table.insertRow(), 0, value);
    }
    EXPECT_EQ(rowOf(table), "<ROW RowState=\"4\" Value=\"7\"/><ROW RowState=\"4\" Value=\"8\"/>");
    EXPECT_NE(datapacketText(table).find("<PARAMS CHANGE_LOG=\"1 0 4 2 0 4\" LCID=\"1033\"/>"),
              std::string::npos);
}

struct TextCase {
    const char* name;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
    std::string stored;
    std::string written;
    std::string readBack;
};

class TextValues : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextValues, AreStoredEscapedAndReadBack) {
    Table table = oneColumnTable(FieldType::String, 20);
    table.setText(table.insertRow(), 0, GetParam().stored);
    const std::string row = rowOf(table);
    EXPECT_EQ(row, "<ROW RowState=\"4\" Value=\"" + GetParam().written + "\"/>");
    const Table back = parsed(datapacketText(table));
    EXPECT_FALSE(back.isNull(0, 0));
    EXPECT_EQ(back.textValue(0, 0), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Datapacket, TextValues,
    ::testing::Values(TextCase{"Markup", "Tom & \"Jerry\" <b>",
                               "Tom &amp; &quot;Jerry&quot; &lt;b&gt;", "Tom & \"Jerry\" <b>"},
                      TextCase{"Apostrophe", "it's", "it&apos;s", "it's"},
                      TextCase{"ControlCharacters", "a\tb\\c\r\nd", "a&#009;b&#092;c&#013;&#010;d",
                               "a\tb\\c\r\nd"},
                      TextCase{"TrailingSpaces", "Meeting  ", "Meeting", "Meeting"},
                      TextCase{"OnlySpaces", "   ", "", ""},
                      TextCase{"LatinLetter", "caf\u00e9", "caf&#233;", "caf\u00e9"},
                      TextCase{"EuroSign", "5 \u20ac", "5 &#128;", "5 \u20ac"},
                      TextCase{"UndefinedByteOfTheSet", "\u0081", "&#129;", "\u0081"},
                      TextCase{"ControlOutsideTheSet", "\u0080", "&#0128;", "\u0080"},
                      TextCase{"GreekLetter", "\u03a9mega", "&#937;mega", "\u03a9mega"},
                      TextCase{"BeyondTheBasicPlane", "\U0001F600", "&#128512;", "\U0001F600"},
                      TextCase{"CutToWidthInCharacters",
                               "\u00e9\u00e9\u00e9\u00e9\u00e9 \u00e9\u00e9\u00e9\u00e9 " +
                                   std::string(10 * 2, 'x'),
                               "&#233;&#233;&#233;&#233;&#233; &#233;&#233;&#233;&#233; xxxxxxxxx",
                               "\u00e9\u00e9\u00e9\u00e9\u00e9 \u00e9\u00e9\u00e9\u00e9 xxxxxxxxx"},
                      TextCase{"CutThenTrimmed", "abcdefghijklmnopqrs tuvwxyz",
                               "abcdefghijklmnopqrs", "abcdefghijklmnopqrs"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Datapacket, MemoKeepsItsWholeTextAndLineBreaks) {
    Table table = oneColumnTable(FieldType::Memo);
    const std::string text = std::string(300, 'x') + "\r\nLine 2  ";
    table.setText(table.insertRow(), 0, text);
    EXPECT_EQ(parsed(datapacketText(table)).textValue(0, 0), text);
    EXPECT_NE(rowOf(table).find("x&#013;&#010;Line 2  \""), std::string::npos);
}

struct ReadTextCase {
    const char* name;
    friend void PrintTo(const ReadTextCase& c, std::ostream* os) { *os << c.name; }
    std::string declaration;
    std::string value;
    std::string expected;
};

class ReadText : public ::testing::TestWithParam<ReadTextCase> {};

TEST_P(ReadText, DecodesReferencesAndBothVariants) {
    const std::string text = GetParam().declaration +
                             "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                             "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"64\"/>"
                             "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW Name=\"" +
                             GetParam().value + "\"/></ROWDATA></DATAPACKET>";
    EXPECT_EQ(parsed(text).textValue(0, 0), GetParam().expected);
}

const std::string kPlain = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
const std::string kUtf8 = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>";

INSTANTIATE_TEST_SUITE_P(
    Datapacket, ReadText,
    ::testing::Values(
        ReadTextCase{"DecimalReferenceIsAByte", kPlain, "&#233;", "\u00e9"},
        ReadTextCase{"HexadecimalReferenceIsAByte", kPlain, "&#xE9;&#x80;", "\u00e9\u20ac"},
        ReadTextCase{"RawByteOfThePlainVariant", kPlain, "caf\xe9", "caf\u00e9"},
        ReadTextCase{"TwoByteSequenceOfTheUtf8Variant", kUtf8, "caf\xc3\xa9", "caf\u00e9"},
        ReadTextCase{"TwoByteSequenceStandsForItsByte", kUtf8, "\xc2\x80", "\u20ac"},
        ReadTextCase{"LongerSequenceIsItsCharacter", kUtf8, "\xe2\x82\xac", "\u20ac"},
        ReadTextCase{"UnknownEntityIsKept", kPlain, "a &b; &#; &#12", "a &b; &#; &#12"},
        ReadTextCase{"NamedEntities", kPlain, "&lt;&gt;&amp;&apos;&quot;", "<>&'\""}),
    [](const auto& p) { return std::string(p.param.name); });

struct ValueCase {
    const char* name;
    friend void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }
    std::string fieldType;
    std::string value;
    std::string written;  // empty: the value reads as null
};

class Values : public ::testing::TestWithParam<ValueCase> {};

TEST_P(Values, DecodeAsTheirColumnTypeSays) {
    const Table table =
        parsed(document("<FIELD attrname=\"V\" fieldtype=\"" + GetParam().fieldType + "\"/>",
                        "<PARAMS/>", "<ROW V=\"" + GetParam().value + "\"/>"));
    if (GetParam().written.empty()) {
        EXPECT_TRUE(table.isNull(0, 0));
        EXPECT_EQ(rowOf(table), "<ROW/>");
    } else {
        EXPECT_EQ(rowOf(table), "<ROW V=\"" + GetParam().written + "\"/>");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Datapacket, Values,
    ::testing::Values(
        ValueCase{"IntegerLeadingNumber", "i4", " 12abc", "12"},
        ValueCase{"IntegerNegative", "i2", "-1", "-1"},
        ValueCase{"IntegerLetterFirst", "i4", "x12", ""},
        ValueCase{"IntegerNoDigit", "i4", "-", ""},
        ValueCase{"FloatWithExponent", "r8", "1.5e3", "1500"},
        ValueCase{"FloatFraction", "r8", "-.25", "-0.25"},
        ValueCase{"FloatSixteenDigits", "r8", "0.1", "0.1"},
        ValueCase{"FloatLetterFirst", "r8", "e5", ""},
        ValueCase{"BooleanCapitalT", "boolean", "TRUE", "TRUE"},
        ValueCase{"BooleanSmallT", "boolean", "true", "TRUE"},
        ValueCase{"BooleanOtherText", "boolean", "yes", "FALSE"},
        ValueCase{"BooleanEmpty", "boolean", "", ""},
        ValueCase{"DateTimeMidnight", "dateTime", "20040712", "20040712"},
        ValueCase{"DateTimeWithTime", "dateTime", "20040712T09:30:15250", "20040712T09:30:15250"},
        ValueCase{"DateTimeOneMillisecond", "dateTime", "20040712T00:00:00001",
                  "20040712T00:00:00001"},
        ValueCase{"DateTimeSecondsPaddedRight", "dateTime", "20040712T09:30:05",
                  "20040712T09:30:05000"},
        ValueCase{"DateTimeWithoutSeconds", "dateTime", "20040712T09:30", "20040712T09:30:00000"},
        ValueCase{"DateTimeTwoDigitYear", "dateTime", "040712", "00040712"},
        ValueCase{"DateTimeOneDigitDay", "dateTime", "2004071", "20040701"},
        ValueCase{"DateTimeBadHourIsMidnight", "dateTime", "20040712T24:00:00000", "20040712"},
        ValueCase{"DateTimeBadMinuteIsMidnight", "dateTime", "20040712T09:60", "20040712"},
        ValueCase{"DateTimeMonthThirteen", "dateTime", "20041312", ""},
        ValueCase{"DateTimeDayThirtyTwo", "dateTime", "20040732", ""},
        ValueCase{"DateTimeNoDigits", "dateTime", "yesterday", ""},
        ValueCase{"DateTimeEpoch", "dateTime", "18991230", "18991230"},
        ValueCase{"DateColumn", "date", "19960615", "19960615"},
        ValueCase{"TimeColumn", "time", "10:00:00000", "10:00:00000"},
        ValueCase{"BlobKeptVerbatim", "bin.hex", "AAECAw==", "AAECAw=="},
        ValueCase{"FixedKeptVerbatim", "fixed", "12.3400", "12.3400"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Datapacket, DateTimesAreStoredToTheMillisecond) {
    Table table = oneColumnTable(FieldType::DateAndTime);
    const std::size_t row = table.insertRow();
    // 12 July 2004 09:30:15.2504 rounds to .250.
    table.setDateTime(row, 0, 38180.0 + (9 * 3600 + 30 * 60 + 15.2504) / 86400.0);
    EXPECT_EQ(rowOf(table), "<ROW RowState=\"4\" Value=\"20040712T09:30:15250\"/>");
    table.setDateTime(row, 0, 38180.0 + 59.9996 / 86400.0);
    EXPECT_EQ(rowOf(table), "<ROW RowState=\"4\" Value=\"20040712T00:01:00000\"/>");
    table.setDateTime(row, 0, 38180.0 + (86400 - 0.0004) / 86400.0);
    EXPECT_EQ(rowOf(table), "<ROW RowState=\"4\" Value=\"20040713\"/>");
}

TEST(Datapacket, RowsKeptForTheChangeLogAreHiddenButWrittenBack) {
    const std::string text =
        document("<FIELD attrname=\"V\" fieldtype=\"i4\"/>", "<PARAMS CHANGE_LOG=\"1 0 4 2 1 8\"/>",
                 "<ROW RowState=\"1\" V=\"1\"/><ROW RowState=\"8\" V=\"2\"/>"
                 "<ROW RowState=\"2\" V=\"3\"/><ROW V=\"4\"/>");
    const Table table = parsed(text);
    ASSERT_EQ(table.rowCount(), 2U);
    EXPECT_EQ(table.integerValue(0, 0), 2);
    EXPECT_EQ(table.integerValue(1, 0), 4);
    EXPECT_EQ(datapacketText(table), text);
}

TEST(Datapacket, UnusedKindsAndParametersTravelUnchanged) {
    const std::string text = document(
        "<FIELD fieldname=\"Unit Price\" attrname=\"Unit_Price\" fieldtype=\"fixed\" "
        "required=\"true\" DECIMALS=\"4\" WIDTH=\"19\"/>"
        "<FIELD attrname=\"Lines\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"N\" "
        "fieldtype=\"i4\"/></FIELDS><PARAMS/></FIELD>",
        "<PARAMS DEFAULT_ORDER=\"1\" UNIQUE_KEY=\"1\" CHANGE_LOG=\"1 0 4\" AUTOINCVALUE=\"5\" "
        "LCID=\"1033\"><PARAM Name=\"Owner\" Value=\"Ann &amp; Bob\"/><PARAM Name=\"Rev\" "
        "Value=\"3\" Type=\"i4\" Roundtrip=\"True\"/></PARAMS>",
        "<ROW RowState=\"4\" Unit_Price=\"12.3400\"><Lines><ROW N=\"1\"/></Lines></ROW>");
    const Table table = parsed(text);
    EXPECT_EQ(table.findColumn("Unit Price"), 0);
    EXPECT_EQ(datapacketText(table), text);
}

TEST(Datapacket, IndentedFileWithCommentsReadsAsTheSingleLine) {
    const std::string single = document(
        "<FIELD attrname=\"Id\" fieldtype=\"i4\"/><FIELD attrname=\"Name\" "
        "fieldtype=\"string\" WIDTH=\"64\"/>",
        "<PARAMS/>", "<ROW Id=\"3\" Name=\"Work\"/>");
    const std::string indented =
        "\r\n  <?xml version=\"1.0\" standalone=\"yes\"?>\n<!-- exported by hand -->\n"
        "<DATAPACKET Version=\"2.0\">\n  <METADATA>\n    <FIELDS>\n"
        "      <FIELD attrname=\"Id\"  fieldtype=\"i4\" />\n"
        "      <FIELD\tattrname = 'Name' fieldtype=\"string\" WIDTH=\"64\"/>\n"
        "    </FIELDS>\n    <?app hint?>\n    <PARAMS/>\n  </METADATA>\n"
        "  <ROWDATA>\n    <ROW Id=\"3\"\n         Name=\"Work\"/>\n  </ROWDATA>\n</DATAPACKET >\n";
    EXPECT_EQ(datapacketText(parsed(indented)), single);
}

// A large file's rows are read by two threads from its middle on. Wherever the middle falls (a
// row, a comment, a row's own content) the table is the one the rows make read in order, and
// a damaged file fails at its first fault.
TEST(Datapacket, LargeFileReadsAsItsRowsInOrderWhereverItsMiddleFalls) {
    const std::string fields =
        "<FIELD attrname=\"Id\" fieldtype=\"i4\"/><FIELD attrname=\"Name\" "
        "fieldtype=\"string\" WIDTH=\"64\"/><FIELD attrname=\"Note\" fieldtype=\"bin.hex\" "
        "SUBTYPE=\"Text\"/><FIELD attrname=\"At\" fieldtype=\"dateTime\"/>";
    // Rows of every kind, with the markup a split may fall into.
    const std::string piece =
        "<ROW Id=\"1\" Name=\"Work &amp; Study\" Note=\"a&#13;&#10;b\" "
        "At=\"20260312T09:30:00000\"/>\n"
        "<!-- <ROW Id=\"99\" Name=\"in a comment\"/> <ROW Id=\"98\"/> -->"
        "<ROW RowState=\"4\" Id=\"2\"><NESTED><ROW Id=\"97\"/><ROW Id=\"96\"/></NESTED></ROW>"
        "<ROW RowState=\"2\" Id=\"3\" Name=\"gone\"/><ROW Id=\"4\" Name=\"\"/>";
    // The file the piece's rows make, written: its rows, and the rest around them.
    const std::string written = datapacketText(parsed(document(fields, "", piece)));
    const std::size_t rowsStart = written.find("<ROWDATA>") + 9;
    const std::size_t rowsEnd = written.rfind("</ROWDATA>");
    const std::string pieceRows = written.substr(rowsStart, rowsEnd - rowsStart);
    constexpr int kPieces = 5000;  // over a megabyte
    std::string rows;
    std::string expectedRows;
    for (int i = 0; i < kPieces; ++i) {
        rows += piece;
        expectedRows += pieceRows;
    }
    ASSERT_GT(rows.size(), std::size_t{1} << 20);
    const std::string expected =
        written.substr(0, rowsStart) + expectedRows + written.substr(rowsEnd);
    // Padding before the rows moves the middle across each kind of markup of a piece.
    for (std::size_t padding = 0; padding < 2 * piece.size(); padding += 7) {
        SCOPED_TRACE(padding);
        const std::string text = document(fields, "", std::string(padding, ' ') + rows);
        EXPECT_EQ(test::difference(datapacketText(parsed(text)), expected), "");
    }
    // Long first rows make the room reserved for the rows far too small: it grows.
    std::string longRows;
    for (int i = 0; i < 100; ++i) {
        longRows +=
            "<ROW Id=\"" + std::to_string(i) + "\" Note=\"" + std::string(4000, 'x') + "\"/>";
    }
    const std::string longWritten = datapacketText(parsed(document(fields, "", longRows)));
    const std::string longExpected =
        written.substr(0, rowsStart) +
        longWritten.substr(rowsStart, longWritten.rfind("</ROWDATA>") - rowsStart) + expectedRows +
        written.substr(rowsEnd);
    EXPECT_EQ(test::difference(datapacketText(parsed(document(fields, "", longRows + rows))),
                               longExpected),
              "");

    const std::string twice = "<ROW Id=\"5\" Id=\"6\"/>";
    const auto failure = [&](const std::string& text) {
        try {
            static_cast<void>(parsed(text));
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("no failure");
    };
    const auto at = [&](const std::string& text, std::size_t from) {
        return "Error in table file at byte " + std::to_string(text.find(twice, from) + 12) +
               ": the attribute Id appears twice in one ROW.";
    };
    std::string late = document(fields, "", rows);
    late.insert(late.rfind("</ROWDATA>"), twice);
    EXPECT_EQ(failure(late), at(late, 0)) << "a fault in the second half";
    std::string both = late;
    both.insert(both.find("<ROWDATA>") + 9, twice);
    EXPECT_EQ(failure(both), at(both, 0)) << "the first of two faults";
}

struct RefusalCase {
    const char* name;
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
    std::string text;
    std::string message;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, NameWhatIsWrongAndWhere) {
    Table table = oneColumnTable(FieldType::Integer);
    try {
        parseDatapacket(table, GetParam().text, "Type.xml");
        FAIL() << "the document was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Error in table file \"Type.xml\" at byte " + GetParam().message);
    }
    EXPECT_FALSE(table.isOpen());
}

std::string nested(int depth) {
    std::string text = "<DATAPACKET>";
    for (int i = 1; i < depth; ++i) {
        text += "<A>";
    }
    for (int i = 1; i < depth; ++i) {
        text += "</A>";
    }
    return text + "</DATAPACKET>";
}

// The refusal of `text` at the place where `marker` last occurs in it.
std::string refusedAt(const std::string& text, const std::string& marker, const std::string& what) {
    return std::to_string(text.rfind(marker)) + ": " + what + ".";
}

const std::string kFieldA =
    "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"i4\"/>";
const std::string kFieldTwice = kFieldA + "<FIELD attrname=\"A\" fieldtype=\"i2\"/>";
const std::string kAttributeTwice =
    "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" attrname=\"B\" fieldtype=\"i4\"/>";
const std::string kValueTwice =
    kFieldA + "</FIELDS></METADATA><ROWDATA><ROW A=\"1\"/><ROW A=\"x\" A=\"2\"/>";
const std::string kParameterTwice =
    "<DATAPACKET><METADATA><PARAMS LCID=\"1033\"/><PARAMS LCID=\"1031\"/>";
const std::string kStateTwice =
    kFieldA + "</FIELDS></METADATA><ROWDATA><ROW RowState=\"4\" A=\"1\" RowState=\"4\"/>";

INSTANTIATE_TEST_SUITE_P(
    Datapacket, Refusals,
    ::testing::Values(
        RefusalCase{"Empty", "", "0: the document does not start with '<'."},
        RefusalCase{"TextFirst", "  hello", "2: the document does not start with '<'."},
        RefusalCase{"OtherRoot", "<TABLE/>",
                    "0: the document element is <TABLE>, not <DATAPACKET>."},
        RefusalCase{"Unclosed", "<DATAPACKET><METADATA>",
                    "22: the document ends inside <METADATA>."},
        RefusalCase{"Misnested", "<DATAPACKET><METADATA></ROWDATA></DATAPACKET>",
                    "22: </ROWDATA> closes <METADATA>."},
        RefusalCase{"TooDeep", nested(64), "198: more than 63 elements are open."},
        RefusalCase{"FieldWithoutAttrname",
                    "<DATAPACKET><METADATA><FIELDS><FIELD fieldtype=\"i4\"/>",
                    "30: a FIELD element has no attrname."},
        RefusalCase{"UnknownFieldType",
                    "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A\" fieldtype=\"money\"/>",
                    "30: the FIELD A has the unknown fieldtype \"money\"."},
        RefusalCase{"AttrnameThatCannotNameAnAttribute",
                    "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"A B\" fieldtype=\"i4\"/>",
                    "30: the attrname \"A B\" cannot name an attribute."},
        RefusalCase{"UnquotedValue", "<DATAPACKET Version=2.0/>",
                    "20: a quoted value expected for the attribute Version."},
        RefusalCase{"OpenComment", "<DATAPACKET><!-- no end",
                    "12: the comment is not closed by \"-->\"."},
        RefusalCase{"FieldDeclaredTwice", kFieldTwice,
                    refusedAt(kFieldTwice, "<FIELD", "the FIELD A is declared twice")},
        RefusalCase{"AttributeTwiceInAnElement", kAttributeTwice,
                    refusedAt(kAttributeTwice, "attrname",
                              "the attribute attrname appears twice in one element")},
        RefusalCase{"ValueTwiceInARow", kValueTwice,
                    refusedAt(kValueTwice, "A=", "the attribute A appears twice in one ROW")},
        RefusalCase{
            "RowStateTwiceInARow", kStateTwice,
            refusedAt(kStateTwice, "RowState", "the attribute RowState appears twice in one ROW")},
        RefusalCase{"ParameterInTwoParams", kParameterTwice,
                    refusedAt(kParameterTwice, "LCID", "the parameter LCID is given twice")}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Datapacket, DeepestAdmittedNestingReads) {
    EXPECT_NO_THROW(parsed(nested(63)));
}

TEST(Datapacket, MissingFileFailsWithThePlatformMessage) {
    TemporaryFolder folder;
    Table table = oneColumnTable(FieldType::Integer);
    try {
        readDatapacket(table, folder.file("Type.xml"));
        FAIL() << "a missing file was read";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Cannot open file \"" + folder.file("Type.xml") +
                                    "\". No such file or directory");
    }
    EXPECT_FALSE(table.isOpen());
    EXPECT_THROW(table.rowCount(), std::runtime_error);
}

Table largeTable() {
    Table table = oneColumnTable(FieldType::Memo);
    for (int i = 0; i < 200; ++i) {
        table.setText(table.insertRow(), 0, std::string(1000, 'x'));
    }
    return table;
}

TEST(Datapacket, FailedWriteLeavesTheOldFileWhole) {
    TemporaryFolder folder;
    const std::string path = folder.file("Type.xml");
    Table small = oneColumnTable(FieldType::Integer);
    writeDatapacket(small, path);
    const std::string before = fileText(path);

    // A full disk: the file size limit makes the write fail part way.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 50'000;
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_THROW(writeDatapacket(largeTable(), path), std::runtime_error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(fileText(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

// A new file takes what the user's umask allows; a file written over keeps its permissions.
TEST(Datapacket, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirPermissions) {
    namespace fs = std::filesystem;
    const struct {
        mode_t umask;
        std::optional<fs::perms> existing;
        fs::perms expected;
    } cases[] = {
        {022, std::nullopt, static_cast<fs::perms>(0644)},
        {077, std::nullopt, static_cast<fs::perms>(0600)},
        {077, static_cast<fs::perms>(0640), static_cast<fs::perms>(0640)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "umask " << std::oct << c.umask);
        TemporaryFolder folder;
        const std::string path = folder.file("Type.xml");
        if (c.existing) {
            writeDatapacket(oneColumnTable(FieldType::Integer), path);
            fs::permissions(path, *c.existing);
        }
        const mode_t previous = ::umask(c.umask);
        writeDatapacket(oneColumnTable(FieldType::Integer), path);
        ::umask(previous);
        EXPECT_EQ(fs::status(path).permissions(), c.expected);
    }
}

TEST(Datapacket, WriteIntoAMissingFolderFailsWithThePlatformMessage) {
    TemporaryFolder folder;
    const std::string path = folder.file("missing/Type.xml");
    try {
        writeDatapacket(oneColumnTable(FieldType::Integer), path);
        FAIL() << "the write succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), "Cannot create file \"" + path + "\". No such file or directory");
    }
}

TEST(Datapacket, WriteIntoAReadOnlyFolderLeavesTheOldFileWhole) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    TemporaryFolder folder;
    const std::string path = folder.file("Type.xml");
    writeDatapacket(oneColumnTable(FieldType::Integer), path);
    const std::string before = fileText(path);
    std::filesystem::permissions(
        folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(writeDatapacket(largeTable(), path), std::runtime_error);
    EXPECT_EQ(fileText(path), before);
}

TEST(Datapacket, WideTablesNeedNoMoreMemoryThanTheirFileCanDescribe) {
    const auto fields = [](int count) {
        std::string text = "<DATAPACKET><METADATA><FIELDS>";
        for (int i = 0; i < count; ++i) {
            text += "<FIELD attrname=\"C" + std::to_string(i) + "\" fieldtype=\"i4\"/>";
        }
        return text + "</FIELDS></METADATA><ROWDATA>";
    };
    // Row tags in a comment are no rows: 20 000 columns and 250 000 of them read as no row,
    // without reserving room for five billion cells.
    std::string commented = fields(20000) + "<!--";
    for (int i = 0; i < 250000; ++i) {
        commented += "<ROW";
    }
    commented += "--></ROWDATA></DATAPACKET>";
    Table table;
    parseDatapacket(table, commented, "EventData.xml");
    EXPECT_EQ(table.rowCount(), 0U);

    // Real empty rows of 2 000 columns: a few bytes each in the file, 16 kB each in memory.
    std::string wide = fields(2000);
    for (int i = 0; i < 9000; ++i) {
        wide += "<ROW/>";
    }
    wide += "</ROWDATA></DATAPACKET>";
    try {
        parseDatapacket(table, wide, "EventData.xml");
        FAIL() << "the table was read";
    } catch (const std::runtime_error& error) {
        EXPECT_THAT(
            error.what(),
            ::testing::HasSubstr("more rows of 2000 columns than a file of this size can hold"));
    }
}

}  // namespace
}  // namespace kalvo
