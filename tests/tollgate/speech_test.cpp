#include <gtest/gtest.h>

#include "scripteduiservices.h"
#include "speechvariable.h"
#include "supportfixtures.h"
#include "zarn30speaker.h"

using namespace zarn;
using namespace zarn::test;

namespace {

TEST(SpeechVariables, SubstituteCutAndGroupedValues) {
    SpeechVariables variables = MakeSpeechVariables();
    variables[kSpeechQueryZone].SetValue("NORTH");
    variables[kSpeechQuerySlot].SetValue("12");
    // Each substituted value ends in one space, beside the template's own.
    EXPECT_EQ(Expand(variables, "$QZONE slot $QSLOT"), "NORTH  slot 12 ");
    EXPECT_EQ(Expand(variables, "Take it"), "Take it");
    EXPECT_EQ(Expand(variables, "$QSLOT$QSLOT $VOL"), "12 12  ");

    CSpeechVariable &volume = variables[kSpeechVol];
    volume.SetValue("A1B2");
    volume.group = 1;
    EXPECT_EQ(volume.Substitute("Volume $VOL"), "Volume A 1 B 2 ");
    volume.SetValue("ABCDEFGHIJKLMNOP");
    volume.group = 10;
    EXPECT_EQ(volume.Spoken(), "ABCDEFGHIJ ");
    volume.direction = 1;
    volume.truncate = 4;
    EXPECT_EQ(volume.Spoken(), "MNOP ");
    volume.group = 3;
    EXPECT_EQ(volume.Spoken(), "MNO P ");
    volume.group = 0;  // no grouping rather than a loop that never ends
    EXPECT_EQ(volume.Spoken(), "MNOP ");
    volume.SetValue("");
    EXPECT_EQ(volume.Spoken(), "");
}

TEST(SpeechVariables, FixedFieldsStopAtTheirFirstNul) {
    CSpeechVariable zone("$PZONE", "Picking Zone");
    const char field[10] = {'L', 'I', 'B', '-', 'A', 0, 'x', 'x', 'x', 'x'};
    zone.SetValue(field, sizeof field);
    EXPECT_EQ(zone.value, "LIB-A");
    const char full[10] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};
    zone.SetValue(full, sizeof full);
    EXPECT_EQ(zone.value, "ABCDEFGHIJ");
}

TEST(SpeechVariables, FormatComesFromTheProfile) {
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    Profile profile("ZARNTollgate");
    profile.WriteInt("Variables\\", "Truncate", 260);  // kept in 8 bits
    profile.WriteInt("Variables\\", "Group", 1);
    CSpeechVariable slot("$PSLOT", "Picking Slot");
    slot.ReadFormat(profile);
    EXPECT_EQ(slot.truncate, 4);
    EXPECT_EQ(slot.direction, 0);
    EXPECT_EQ(slot.group, 1);
}

TEST(Speaker, SpeaksAndShowsOrStaysQuiet) {
    ScriptedUiServices ui;
    CZARN30Speaker speaker;
    RecordingVoice *voice = nullptr;
    speaker.Start(
        [&]() {
            auto made = std::make_unique<RecordingVoice>();
            voice = made.get();
            return made;
        },
        ui);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(voice->spoken.front(), "Kestrava Speech sub-system enabled and ready for work");
    speaker.Speak("Volume skipped");
    speaker.Speak("");
    EXPECT_EQ(voice->spoken.size(), 2u);
    EXPECT_EQ(speaker.StatusText(), "Volume skipped");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(Speaker, WithoutAVoiceItSaysSoOnceAndRunsSilently) {
    ScriptedUiServices ui;
    ui.Answer(kAnswerOk);
    CZARN30Speaker speaker;
    speaker.Start([]() { return std::unique_ptr<Voice>(); }, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "TTS Init Failed");
    EXPECT_EQ(ui.boxes[0].text,
              "Text-To-Speech Engine Initialization failed. Speech will not be enabled");
    EXPECT_EQ(ui.boxes[0].style, kBoxOk | kBoxIconInformation);
    EXPECT_TRUE(speaker.SpeechDisabled());
    speaker.Speak("Volume skipped");
    EXPECT_EQ(speaker.StatusText(), "Volume skipped") << "nothing depends on hearing";
}

TEST(Speaker, AScansAnswerComesAfterItsToneAndIsHandedOnWhole) {
    ScriptedUiServices ui;
    CZARN30Speaker speaker;
    auto made = std::make_unique<RecordingVoice>();
    RecordingVoice &voice = *made;
    speaker.Start([&]() { return std::move(made); }, ui);
    speaker.BeginScan("ACME.LTO9.A00001");
    speaker.Speak("Sequence error");
    speaker.Speak("Please scan new Zone LIB-A");
    EXPECT_EQ(voice.spoken.size(), 1u) << "kept until the answer is complete";
    const ScanAnswer refused = speaker.EndScan(AnswerKind::Refused);
    EXPECT_EQ(refused.scanned, "ACME.LTO9.A00001");
    EXPECT_EQ(refused.text, "Sequence error; Please scan new Zone LIB-A");
    EXPECT_EQ(voice.tones, std::vector<std::string>{"[tone: refused]"});
    EXPECT_EQ(voice.spoken.back(), "Please scan new Zone LIB-A");
    EXPECT_EQ(speaker.StatusText(), refused.text);

    speaker.BeginScan("ACME.LTO9.A00002");
    speaker.Speak("No-Alloc slot 7");
    speaker.EndScan(AnswerKind::Accepted);
    EXPECT_EQ(voice.tones.size(), 1u) << "no tone for an accepted scan unless asked";
    speaker.SetTones(true, false);
    speaker.BeginScan("ACME.LTO9.A00003");
    const ScanAnswer silent = speaker.EndScan(AnswerKind::Warning, "Volume already scanned");
    EXPECT_EQ(silent.text, "Volume already scanned") << "shown though not said";
    EXPECT_EQ(voice.tones.size(), 1u);

    voice.onFailure("no sound device");  // the voice finds it cannot play
    EXPECT_TRUE(speaker.SpeechDisabled());
    EXPECT_EQ(speaker.StatusText(), kSpeechUnavailableText);
}

}  // namespace
