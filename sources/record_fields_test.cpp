// The description of the two languages against the reader's own key-word
// rules: each record is found by its key and by its example's key field, and
// the table's own facts hold together.
#include "sources/record_fields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace compactor {
namespace {

std::string key_field_of(std::string_view line) { return std::string(line.substr(0, line.find(','))); }

TEST(RecordFields, EachRecordIsWhatItsKeyAndItsExampleAreReadAs) {
  for (SourceLanguage language : {SourceLanguage::line, SourceLanguage::train}) {
    for (const RecordInfo& r : records(language)) {
      SCOPED_TRACE(std::string(r.key));
      EXPECT_EQ(r.language, language);
      EXPECT_EQ(records_of(language, r.part, r.key), std::vector<const RecordInfo*>{&r});
      EXPECT_EQ(records_of(language, r.part, key_field_of(r.example)), std::vector<const RecordInfo*>{&r});
      EXPECT_EQ(record_with_key(language, r.key), &r);
    }
  }
}

TEST(RecordFields, EveryKeyWordOfTheReaderHasItsRecord) {
  // records_of returns null entries if a key word of the reader had none.
  const struct {
    SourceLanguage language;
    SourcePart part;
    const char* key_field;
    size_t records;
  } cases[] = {
      {SourceLanguage::line, SourcePart::general,
       "lunghezza percorso progressiva tre due uno sfondo ripetizione segnali", 8},
      {SourceLanguage::line, SourcePart::records, "pendenza curva montagna indicatori_v cartello_indicatore", 5},
      {SourceLanguage::train, SourcePart::records,
       "massa frenata vetture velocit aderenza orologio sabbia segnale rallentamento abbattimento stazione", 10},
      {SourceLanguage::line, SourcePart::records, "[curve]", 0},
      {SourceLanguage::train, SourcePart::records, "[segnali] [stazioni]", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key_field);
    const auto found = records_of(c.language, c.part, c.key_field);
    EXPECT_EQ(found.size(), c.records);
    std::set<const RecordInfo*> distinct(found.begin(), found.end());
    EXPECT_EQ(distinct.size(), c.records);
    EXPECT_EQ(distinct.count(nullptr), 0u);
  }
  EXPECT_EQ(records(SourceLanguage::line).size(), 13u);
  EXPECT_EQ(records(SourceLanguage::train).size(), 10u);
}

TEST(RecordFields, FieldsAreComplete) {
  for (SourceLanguage language : {SourceLanguage::line, SourceLanguage::train}) {
    for (const RecordInfo& r : records(language)) {
      SCOPED_TRACE(std::string(r.key));
      EXPECT_FALSE(r.fields.empty());
      EXPECT_FALSE(r.errors.empty());
      for (const FieldInfo& f : r.fields) {
        SCOPED_TRACE(std::string(f.name));
        EXPECT_FALSE(f.name.empty() || f.range.empty() || f.meaning.empty() || f.stored.empty());
        if (f.width == FieldWidth::text) {
          EXPECT_EQ(f.lowest, 0);
          EXPECT_EQ(f.highest, 0);
        } else {
          EXPECT_LE(f.lowest, f.highest);
        }
        // What the reader would refuse cannot be meant.
        if (f.width == FieldWidth::bits16) {
          EXPECT_TRUE(f.lowest >= INT16_MIN && f.highest <= INT16_MAX);
        }
        if (f.width == FieldWidth::bits8) {
          EXPECT_TRUE(f.lowest >= 0 && f.highest <= UINT8_MAX);
        }
      }
    }
  }
}

TEST(RecordFields, StationFieldsAsTheReaderReadsThem) {
  // The widths the train loader reads a station's fields with.
  const FieldWidth widths[] = {FieldWidth::bits32, FieldWidth::bits8,  FieldWidth::bits32, FieldWidth::bits8,
                               FieldWidth::bits8,  FieldWidth::bits8,  FieldWidth::bits16, FieldWidth::bits16,
                               FieldWidth::bits8,  FieldWidth::bits16, FieldWidth::bits16, FieldWidth::bits16,
                               FieldWidth::bits8,  FieldWidth::bits32, FieldWidth::bits32, FieldWidth::bits32,
                               FieldWidth::text};
  const RecordInfo& s = station_record();
  ASSERT_EQ(s.fields.size(), std::size(widths));
  for (size_t i = 0; i < s.fields.size(); ++i) EXPECT_EQ(s.fields[i].width, widths[i]) << s.fields[i].member;
  for (int k = 4; k <= 13; ++k) {
    const std::string member = "campo" + std::to_string(k);
    ASSERT_NE(field_with_member(s, member), nullptr) << member;
    EXPECT_EQ(field_with_member(s, member), &s.fields[static_cast<size_t>(k - 1)]);
  }
  EXPECT_EQ(field_with_member(s, "nothing"), nullptr);
}

}  // namespace
}  // namespace compactor
