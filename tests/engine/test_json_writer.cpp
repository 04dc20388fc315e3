// The results file's JSON emitter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "frame/json_writer.h"

namespace korva {
namespace {

TEST(JsonWriter, NumbersRoundTripAndNonFiniteValuesAreNull) {
  const std::vector<double> values = {0.1, 1.0 / 3, 1e10, 5e-324, -2.5, 123456789.125, 100};
  JsonWriter j;
  j.begin_array();
  for (double v : values) j.value(v);
  j.value(std::numeric_limits<double>::quiet_NaN());
  j.value(std::numeric_limits<double>::infinity());
  j.value(-0.0);
  j.end_array();
  EXPECT_EQ(j.str(),
            "[0.1, 0.3333333333333333, 1e+10, 5e-324, -2.5, 123456789.125, 100, null, null, "
            "0]\n");
  // Every number reads back to the same double.
  const std::string s = j.str();
  const char* p = s.c_str() + 1;
  for (double v : values) {
    char* end = nullptr;
    EXPECT_EQ(std::strtod(p, &end), v);
    p = end + 2;
  }
}

TEST(JsonWriter, ObjectsNestAndStringsAreEscapedAsUtf8) {
  JsonWriter j;
  j.begin_object();
  j.member("text", "a \"b\" \\ c\n\t\x01");
  j.member("utf8", "Gr\xc3\xb6\xc3\x9f" "e");  // valid UTF-8 stays as it is
  j.member("latin1", "Gr\xf6\xdf" "e");        // other bytes become their characters
  j.key("list").begin_array();
  j.begin_object().member("n", 1).member("ok", true).end_object();
  j.begin_object().key("none").null().end_object();
  j.end_array();
  j.key("empty").begin_array().end_array();
  j.key("raw").raw("{\n  \"x\": 1\n}");
  j.end_object();
  EXPECT_EQ(j.str(),
            "{\n"
            "  \"text\": \"a \\\"b\\\" \\\\ c\\n\\t\\u0001\",\n"
            "  \"utf8\": \"Gr\xc3\xb6\xc3\x9f" "e\",\n"
            "  \"latin1\": \"Gr\xc3\xb6\xc3\x9f" "e\",\n"
            "  \"list\": [\n"
            "    {\n      \"n\": 1,\n      \"ok\": true\n    },\n"
            "    {\n      \"none\": null\n    }\n"
            "  ],\n"
            "  \"empty\": [],\n"
            "  \"raw\": {\n    \"x\": 1\n  }\n"
            "}\n");
}

}  // namespace
}  // namespace korva
