#include "config/profile_document.h"

#include <gtest/gtest.h>

#include <string>

namespace vantorel {
namespace {

TEST(ProfileDocument, SerializesUntouchedFilesByteForByte) {
    const std::string samples[] = {
        "",
        "[A]\r\nx=1\r\n",
        "[A]\nx=1",                // no final newline
        "\xEF\xBB\xBF[A]\nx=1\n",  // UTF-8 byte order mark
        "; comment\n\n  [ A ]  \n  x  =  1  \ngarbage\n[\n]\n=v\r\n\r\n",
        std::string("[A]\nk=\0\xff\x01\n", 10),  // NUL and high bytes
        "[A]\n" + std::string(100000, 'x') + "=" + std::string(100000, 'y') + "\n",
        "x=before any section\r\n[A]\nmixed=endings\r\n",
    };
    for (const std::string& sample : samples) {
        EXPECT_EQ(ProfileDocument::parse(sample).serialize(), sample);
    }
}

TEST(ProfileDocument, FindsSectionsAndKeysWithoutRegardToCaseAndBlanks) {
    const auto document = ProfileDocument::parse(
        "x=outside\n[Sound]\r\n  ClickerFlag =  yes  \r\n;ayflag=1\r\nnoequals\n"
        "clickerflag=second\n[SOUND]\nayvolpct=7\nclickerflag=third\n");
    EXPECT_EQ(document.findValue("SOUND", "clickerflag"), "yes");  // the first one counts
    EXPECT_EQ(document.findValue("sound", "AYVOLPCT"), "7");       // from a later [SOUND]
    EXPECT_FALSE(document.findValue("SOUND", "ayflag"));           // a comment
    EXPECT_FALSE(document.findValue("SOUND", "noequals"));
    EXPECT_FALSE(document.findValue("", "x"));  // before any header
    EXPECT_FALSE(document.findValue("VIDEO", "clickerflag"));
}

TEST(ProfileDocument, ReplacesValuesInPlaceAndKeepsEverythingElse) {
    auto document = ProfileDocument::parse(
        "; mine\r\n[Other]\r\nkeep = me \r\n\r\n[sound]\r\n  ClickerFlag = 1 ; note\r\n"
        "; trailing comment\r\n\r\n[Last]\r\nz=9");
    document.setValue("SOUND", "clickerflag", "0");
    document.setValue("SOUND", "ayflag", "1");
    document.setValue("SOUND", "ayvolpct", "50");
    EXPECT_EQ(document.serialize(),
              "; mine\r\n[Other]\r\nkeep = me \r\n\r\n[sound]\r\nClickerFlag=0\r\nayflag=1\r\n"
              "ayvolpct=50\r\n; trailing comment\r\n\r\n[Last]\r\nz=9");
    EXPECT_EQ(document.findValue("Sound", "AyVolPct"), "50");
}

TEST(ProfileDocument, AppendsNewSectionsWithTheFilesLineEndings) {
    auto crlf = ProfileDocument::parse("[A]\r\nx=1");
    crlf.setValue("B", "y", "2");
    crlf.setValue("A", "w", "3");
    crlf.setValue("A", "v", "4");
    crlf.setValue("a", "W", "5");  // an added key is replaced like any other
    EXPECT_EQ(crlf.serialize(), "[A]\r\nx=1\r\nw=5\r\nv=4\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(crlf.findValue("A", "w"), "5");

    auto empty = ProfileDocument::parse("");
    empty.setValue("SOUND", "ayflag", "1");
    empty.setValue("VIDEO", "windowscalingX", "2");
    EXPECT_EQ(empty.serialize(), "[SOUND]\nayflag=1\n\n[VIDEO]\nwindowscalingX=2\n");

    auto headerOnly = ProfileDocument::parse("[A]");
    headerOnly.setValue("a", "k", "v");
    EXPECT_EQ(headerOnly.serialize(), "[A]\nk=v\n");
}

TEST(ProfileDocument, ALineBreakInAValueCannotInjectKeysOrSections) {
    auto document = ProfileDocument::parse("[MEMORY]\n");
    document.setValue("MEMORY", "ROMfilename", "a.bin\n[SPEED]\r\ncpuspeedopt=3");
    EXPECT_EQ(document.serialize(), "[MEMORY]\nROMfilename=a.bin\n");
    EXPECT_FALSE(ProfileDocument::parse(document.serialize()).findValue("SPEED", "cpuspeedopt"));
}

}  // namespace
}  // namespace vantorel
