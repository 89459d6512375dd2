#include "platform/phoneenvironment.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using platform::PhoneHint;
using platform::PhonePlace;

namespace {

PhoneHint readFrom(const std::map<std::string, std::string>& variables) {
  return platform::readPhoneEnvironment([&variables](const char* name) -> const char* {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  });
}

// The entries Veltrana writes over those it inherited, read back as the browser reads them.
PhoneHint roundTrip(const PhonePlace& place, std::map<std::string, std::string> variables = {}) {
  for (const std::string& entry : platform::phoneEnvironment(place)) {
    const auto equals = entry.find('=');
    variables[entry.substr(0, equals)] = entry.substr(equals + 1);
  }
  return readFrom(variables);
}

}  // namespace

TEST(PhoneEnvironment, WhatVeltranaWritesTheBrowserReads) {
  struct Case {
    PhonePlace place;
  };
  const Case cases[] = {
      {{480, 640, 192, 40, 30}},
      {{320, 240, 72, -1280, 0}},  // a phone on a screen left of the primary one
  };
  for (const Case& c : cases) {
    const PhoneHint hint = roundTrip(c.place);
    EXPECT_EQ(hint.width, c.place.width);
    EXPECT_EQ(hint.height, c.place.height);
    EXPECT_EQ(hint.dpi, c.place.dpi);
    EXPECT_EQ(hint.x, c.place.x);
    EXPECT_EQ(hint.y, c.place.y);
  }
}

TEST(PhoneEnvironment, AnInheritedPositionNeverOutlivesAnUnknownPlace) {
  const PhoneHint hint = roundTrip({240, 320, 96, std::nullopt, std::nullopt},
                                   {{"VELTRANA_PHONE_POSITION", "500,400"}});
  EXPECT_EQ(hint.width, 240);
  EXPECT_FALSE(hint.x || hint.y);
}

// Any program of the user may have set them: a value that is not well formed or out of
// bounds is left out whole, and the browser keeps its own default for it.
TEST(PhoneEnvironment, MalformedOrOutOfBoundsValuesAreLeftOut) {
  struct Case {
    const char* screen;
    const char* dpi;
    const char* position;
    bool screenRead, dpiRead, positionRead;
  };
  const Case cases[] = {
      {"480x640", "96", "0,0", true, true, true},
      {"64x8192", "48", "-32767,32767", true, true, true},
      {"63x640", "47", "32768,0", false, false, false},
      {"480X640", "9a", "1,2,3", false, false, false},
      {"480x640x1", "", ",", false, false, false},
      {" 480x640", "0096", "--1,2", false, true, false},
      {"999999x640", "96 ", "1 ,2", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.screen) + " | " + c.dpi + " | " + c.position);
    const PhoneHint hint = readFrom({{platform::kPhoneScreenVariable, c.screen},
                                     {platform::kPhoneDpiVariable, c.dpi},
                                     {platform::kPhonePositionVariable, c.position}});
    EXPECT_EQ(hint.width.has_value(), c.screenRead);
    EXPECT_EQ(hint.height.has_value(), c.screenRead);
    EXPECT_EQ(hint.dpi.has_value(), c.dpiRead);
    EXPECT_EQ(hint.x.has_value(), c.positionRead);
    EXPECT_EQ(hint.y.has_value(), c.positionRead);
  }
  const PhoneHint none = readFrom({});
  EXPECT_FALSE(none.width || none.height || none.dpi || none.x || none.y);
}
