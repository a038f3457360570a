// Console conventions: how prompts read numbers and words, through the real
// program and through the dialogue probe.
#include <gtest/gtest.h>

#include "expected_text.h"
#include "program_run.h"

namespace {

RunResult Probe(const std::vector<std::string> &asks, const std::string &script) {
    RunOptions options;
    options.program = DialogueProbeProgram();
    options.arguments = asks;
    options.input.push_back({script});
    return RunProgram(options);
}

const std::string kBacklightMenu =
    SubMenu("Select Backlight Test!", {"Set Backlight Brightness", "Set Backlight Suspend"});

TEST(Console, TwoNumbersOnOneLineAnswerTwoPromptsWithoutWaiting) {
    RunResult run = RunProgram("1\n2\n12 1\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kBacklightMenu + TestHeader("Set Backlight Suspend Test") +
                              "Enter Backlight Suspend Time: (0 ... 360): " +
                              "Enter Backlight Suspend Enable: (0 = On, 1 = Off): " +
                              Line("Set Backlight Suspend:  is Success!!!") + kClosingLine +
                              kBacklightMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightSuspend(12, 1) = 1"}));
}

TEST(Console, TextAfterANumberStaysForTheNextPrompt) {
    // 12abc reads 12; abc then answers the menu prompt, an unlisted choice.
    RunResult run = RunProgram("1\n1\n12abc\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kBacklightMenu + TestHeader("Set Backlight Brightness Test") +
                              "Enter Backlight Level: (0 ... 255): " +
                              Line("Set Backlight Brightness  is Success!!!") + kClosingLine +
                              kBacklightMenu + NotValid() + kBacklightMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightLevel(12) = 1"}));
}

TEST(Console, ValuePromptAsksAgainAfterTextOrAnOversizedNumber) {
    const std::string prompt = "Enter Backlight Level: (0 ... 255): ";
    RunResult run = RunProgram("1\n1\nbright light\n4294967296\n 7\n0\n0\n");
    EXPECT_EQ(run.output, MainMenu() + kBacklightMenu + TestHeader("Set Backlight Brightness Test") +
                              prompt + InvalidDecimal() + prompt + InvalidDecimal() + prompt +
                              Line("Set Backlight Brightness  is Success!!!") + kClosingLine +
                              kBacklightMenu + MainMenu());
    EXPECT_EQ(run.trace, (std::vector<std::string>{"SetBacklightLevel(7) = 1"}));
}

TEST(Console, EndOfInputAtAValuePromptEndsTheProgramWithoutCallingTheLibrary) {
    RunResult run = RunProgram("1\n2\n30");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.trace.empty());
    EXPECT_EQ(run.output, MainMenu() + kBacklightMenu + TestHeader("Set Backlight Suspend Test") +
                              "Enter Backlight Suspend Time: (0 ... 360): " +
                              "Enter Backlight Suspend Enable: (0 = On, 1 = Off): ");
}

TEST(Console, HexadecimalPromptsTakeThePrefixInEitherCaseOrNone) {
    RunResult run = Probe({"hex", "hex", "hex", "dec"}, "0x1F 0X1f 1f 10\n");
    EXPECT_EQ(run.output, "hex? value: 31\nhex? value: 31\nhex? value: 31\ndec? value: 10\n");
}

TEST(Console, BaseNeverCarriesOverAndBadValuesAreAskedAgain) {
    RunResult run = Probe({"hex", "dec", "uhex", "udec"}, "ff ff\n12 0xffffffff 3000000000\n");
    EXPECT_EQ(run.output, "hex? value: 255\ndec? " + InvalidDecimal() + "dec? value: 12\n" +
                              "uhex? value: 4294967295\nudec? value: 3000000000\n");
}

TEST(Console, WordPromptTakesOneWordAndLeavesTheNextForTheNextPrompt) {
    RunResult run = Probe({"word:10", "word:10"}, "abc def\n");
    EXPECT_EQ(run.output, "word? word: [abc]\nword? word: [def]\n");
}

TEST(Console, LongWordIsCutToItsBufferAndItsRestDiscarded) {
    RunResult run = Probe({"word:4", "word:4", "dec"}, "abcdefgh xyz 5\n");
    EXPECT_EQ(run.output, "word? word: [abc]\nword? word: [xyz]\ndec? value: 5\n");
}

TEST(Console, EndOfInputAtAWordPromptEndsWithExitCodeOne) {
    RunResult run = Probe({"word:8", "word:8"}, "last\n");
    EXPECT_EQ(run.output, "word? word: [last]\nword? ");
    EXPECT_EQ(run.exitCode, 1);
}

TEST(Console, WindowsLineEndsWorkAtEveryKindOfPrompt) {
    RunResult probe = Probe({"dec", "hex", "word:10", "space", "yesno", "yesno"},
                            "7\r\n0x1f\r\nabc\r\n \r\ny\r\nno\r\n");
    EXPECT_EQ(probe.output, "dec? value: 7\nhex? value: 31\nword? word: [abc]\nspace: 1\n"
                            "[Probe] Go on? [Yes/No]: answer: 6\n[Probe] Go on? [Yes/No]: answer: 7\n");

    RunResult menus = RunProgram("1\r\n1\r\n7\r\n0\r\n0\r\n");
    EXPECT_EQ(menus.output, MainMenu() + kBacklightMenu + TestHeader("Set Backlight Brightness Test") +
                                "Enter Backlight Level: (0 ... 255): " +
                                Line("Set Backlight Brightness  is Success!!!") + kClosingLine + kBacklightMenu +
                                MainMenu());
    EXPECT_EQ(menus.trace, (std::vector<std::string>{"SetBacklightLevel(7) = 1"}));
}

TEST(Console, NulBytesHugeNumbersAndLoneSignsOrPrefixesAreRefusedSafely) {
    const std::string hundredDigits(100, '9');
    const std::string nul(1, '\0');
    // At a menu each is an unlisted choice.
    RunResult menu = RunProgram("1\n" + hundredDigits + "\n" + nul + "\n-\n0\n0\n");
    EXPECT_EQ(menu.output, MainMenu() + kBacklightMenu + NotValid() + kBacklightMenu + NotValid() + kBacklightMenu +
                               NotValid() + kBacklightMenu + MainMenu());
    EXPECT_TRUE(menu.trace.empty());

    // At a value prompt each draws the message and the prompt again; "0x"
    // with no digit reads 0 and leaves the x, which the next prompt refuses.
    // A NUL inside a word ends the text the word holds.
    RunResult values = Probe({"dec", "word:10", "hex", "dec"},
                             hundredDigits + "\n" + nul + "\n-\n7\na" + nul + "b\n0x\n5\n");
    EXPECT_EQ(values.output, "dec? " + InvalidDecimal() + "dec? " + InvalidDecimal() + "dec? " + InvalidDecimal() +
                                 "dec? value: 7\nword? word: [a]\nhex? value: 0\ndec? " + InvalidDecimal() +
                                 "dec? value: 5\n");
}

TEST(Console, InputEndingInsideANumberOrAWordIsReadThenEndsTheProgram) {
    RunResult number = Probe({"dec", "dec"}, "12");
    EXPECT_EQ(number.output, "dec? value: 12\ndec? ");
    EXPECT_EQ(number.exitCode, 1);
    RunResult word = Probe({"word:10", "word:10"}, "abc");
    EXPECT_EQ(word.output, "word? word: [abc]\nword? ");
    EXPECT_EQ(word.exitCode, 1);
}

}  // namespace
