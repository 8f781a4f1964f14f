#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <QCoreApplication>

#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "zarndocument.h"
#include "zarnmessages.h"
#include "zarnprofile.h"
#include "zarnscanposting.h"
#include "zarnvoice.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class RecordingWindow : public MessageWindow {
public:
    std::vector<std::string> handled;
    intptr_t HandleMessage(const WindowMessage &message) override {
        std::string text = std::to_string(message.id) + ":" + std::to_string(message.wParam) + "," +
                           std::to_string(message.lParam);
        if (const auto *scanned = std::any_cast<ZARN10BARCODEPARSED>(&message.payload)) {
            text += ":" + std::string(scanned->volume, 6);
        }
        handled.push_back(text);
        return static_cast<intptr_t>(handled.size());
    }
};

TEST(WindowMessages, PostedMessagesArriveInOrderWithTheirPayloadByValue) {
    RecordingWindow window;
    PostingScanTarget target(&window);
    ZARN10BARCODEPARSED scanned{};
    std::memcpy(scanned.volume, "A00001", 6);
    target.PostVolume(1328, 0, scanned);
    std::memcpy(scanned.volume, "CHANGED", 7);  // the posted copy is not touched
    target.PostValues(1330, 3, 12);
    EXPECT_TRUE(window.handled.empty()) << "posting returns before anything is handled";
    EXPECT_EQ(SendWindowMessage(&window, {1524, 0, 0, {}}), 1) << "sending is immediate";
    QCoreApplication::sendPostedEvents(&window);
    EXPECT_THAT(window.handled, ElementsAre("1524:0,0", "1328:0,0:A00001", "1330:3,12"));
}

class RecordingView : public View {
public:
    std::vector<intptr_t> hints;
    void OnUpdate(View *, intptr_t hint) override { hints.push_back(hint); }
};

TEST(DocumentViews, HintsReachEveryViewButTheSender) {
    Document document;
    RecordingView tree, list;
    document.AddView(&tree);
    document.AddView(&list);
    document.AddView(&list);
    document.UpdateAllViews(&tree, kHintListsChanged);
    document.UpdateAllViews(nullptr, kHintConnectionChanged);
    EXPECT_THAT(tree.hints, ElementsAre(kHintConnectionChanged));
    EXPECT_THAT(list.hints, ElementsAre(kHintListsChanged, kHintConnectionChanged));
    document.RemoveView(&list);
    document.UpdateAllViews(nullptr, kHintListsChanged);
    EXPECT_EQ(list.hints.size(), 2u);
}

TEST(UserProfile, ValuesRoundTripUnderTheTestFolder) {
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    {
        Profile profile("ZARNTollgate");
        EXPECT_EQ(profile.GetInt("Settings", "ScanMode", 1), 1);
        EXPECT_EQ(profile.GetString("Options", "PickText", "$PSLOT"), "$PSLOT");
        profile.WriteInt("Settings", "ScanMode", 7);
        profile.WriteString("Options", "PickText", "Slot $PSLOT");
        profile.WriteInt("Variables\\", "Group", 1);
        profile.Flush();
    }
    Profile again("ZARNTollgate");
    EXPECT_EQ(again.GetInt("Settings", "ScanMode", 1), 7);
    EXPECT_EQ(again.GetString("Options", "PickText", ""), "Slot $PSLOT");
    EXPECT_EQ(again.GetInt("Variables\\", "Group", 10), 1);
    EXPECT_EQ(again.GetMachineInt("DisableUpdateCheck", 0), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "user" / "Quillfen" / "ZARNTollgate.conf"));
}

TEST(ScriptedDialogs, AnswerFromTheirQueueAndFailOnASurprise) {
    ScriptedUiServices ui;
    ui.Answer(kAnswerYes);
    EXPECT_EQ(ui.MessageBox("Sure?", "Update Verification", kBoxYesNo | kBoxIconQuestion),
              kAnswerYes);
    EXPECT_NONFATAL_FAILURE(ui.MessageBox("Again?", "Surprise", kBoxYesNo),
                            "unexpected message box");
    ui.ChooseFile(std::nullopt);
    std::string path = "kept";
    EXPECT_FALSE(ui.SaveFileDialog({"Export", "", "", ""}, path));
    EXPECT_EQ(path, "kept");
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST(EspeakVoice, TurnsASentenceIntoSamplesInMemory) {
    std::vector<short> samples;
    int rate = 0;
    std::string error;
    ASSERT_TRUE(SynthesizeToSamples("Please scan new Slot 12", samples, rate, error)) << error;
    EXPECT_GT(rate, 8000);
    EXPECT_GT(samples.size(), static_cast<size_t>(rate) / 2) << "about a second of speech";
    const auto loudest = *std::max_element(samples.begin(), samples.end());
    EXPECT_GT(loudest, 1000) << "not silence";
}

TEST(EspeakVoice, MissingVoiceDataIsAnErrorAndTheProcessGoesOn) {
    {
        // A data folder without the voice data in it (espeak-ng falls back to its own for a
        // folder that is not there at all).
        TempDir folder;
        std::filesystem::create_directories(folder.Path() / "espeak-ng-data");
        ScopedEnvironment missing("ESPEAK_DATA_PATH", folder.Path().c_str());
        std::vector<short> samples;
        int rate = 0;
        std::string error;
        EXPECT_FALSE(SynthesizeToSamples("Volume skipped", samples, rate, error));
        EXPECT_THAT(error, ::testing::HasSubstr("could not start"));
    }
    // Still here; and with the data found again the engine starts.
    std::vector<short> samples;
    int rate = 0;
    std::string error;
    EXPECT_TRUE(SynthesizeToSamples("Volume skipped", samples, rate, error)) << error;
}

TEST(StationVoice, AMachineWithoutASoundDeviceGetsNoVoiceAndSaysWhy) {
    if (std::filesystem::exists("/dev/snd")) {
        GTEST_SKIP() << "this machine has sound devices";
    }
    std::string error;
    EXPECT_EQ(CreateStationVoice("/nowhere", error), nullptr);
    EXPECT_EQ(error, "there is no sound device");
}

}  // namespace
