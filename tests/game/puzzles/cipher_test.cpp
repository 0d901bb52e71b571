// The cipher window and its ways back.
#include "support/game_script.h"

namespace script {
namespace {

class Cipher : public GameScript {
protected:
    void toCipherButton() {
        startGame();
        revealNazocom();
        pray();
        nextStep();
    }
    void openCipher() {
        box("発見！", "あなたは、なぜかこんな紙を見つけた", MsgIcon::Question);
        click(form1().Command3);
    }
    void expectIntro() {
        box("問題", "どういう意味だろう？", MsgIcon::Question);
        box("解読結果", "独自の調査(笑)により、これは暗号らしいということが分かった。\r\n何の暗号なのだろうか？",
            MsgIcon::Information);
        box("解読結果", "どうやらあるキーが次へ進む鍵となるようだ", MsgIcon::Exclamation);
        box("謎解き", "解読せよ！", MsgIcon::Exclamation);
    }
    void expectBackOnMainWindow() {
        EXPECT_FALSE(form3().loaded());
        EXPECT_FALSE(state().AnswerOpen);
        EXPECT_TRUE(form1().visible());
        EXPECT_TRUE(form1().Command3.visible());
        EXPECT_EQ(state().Stage, 20);
    }
};

TEST_F(Cipher, OpensBlackAtItsPlaceWithTheMainWindowHidden) {
    toCipherButton();
    openCipher();
    game::Form3& c = form3();
    EXPECT_TRUE(c.visible());
    EXPECT_FALSE(form1().visible());
    EXPECT_EQ(c.Left(), 1000.0f);
    EXPECT_EQ(c.Top(), 1000.0f);
    EXPECT_EQ(c.backColor(), 0u);
    EXPECT_EQ(c.Label2.caption(), "を探せ!");
    EXPECT_FALSE(c.Label1.transparent());
    // Keys before the intro is over are not judged.
    host.pressKey(c, game::kCipherAnswerKey);
    EXPECT_TRUE(c.visible());
    expectIntro();
    wait(1000);
    EXPECT_TRUE(state().AnswerOpen);
}

TEST_F(Cipher, TheIntroPausesAndTheLimitCountsFromTheLastBox) {
    toCipherButton();
    openCipher();
    expectIntro();
    const int64_t opened = host.nowMs();
    wait(1000);
    ASSERT_GE(host.boxes.size(), 4u);
    const auto n = host.boxes.size();
    EXPECT_EQ(host.boxes[n - 4].atMs, opened + 1000);
    EXPECT_EQ(host.boxes[n - 3].atMs, opened + 1300);
    EXPECT_EQ(host.boxes[n - 2].atMs, opened + 1600);
    EXPECT_EQ(host.boxes[n - 1].atMs, opened + 1900);
    wait(29999 - (host.nowMs() - (opened + 1900)));
    EXPECT_TRUE(form3().visible());
    box("Time Is UP!", "時間切れのようだ。\r\nもう一度考え直してから出直してくるように");
    wait(1);
    expectBackOnMainWindow();
}

TEST_F(Cipher, HomeSolvesItAfterASecond) {
    toCipherButton();
    openCipher();
    expectIntro();
    wait(1000);
    const int64_t pressed = host.nowMs();
    boxThen("あっ！", "ここまで来たか！もうすこし・・・かも？", MsgIcon::Exclamation, [&] {
        EXPECT_EQ(host.nowMs(), pressed + 1000);
        EXPECT_TRUE(form1().visible());
        EXPECT_FALSE(form3().loaded());
    });
    host.pressKey(form3(), game::kCipherAnswerKey);
    game::Form1& f = form1();
    EXPECT_EQ(state().Stage, 31);
    EXPECT_EQ(f.backColor(), 0x00039C38u);
    EXPECT_TRUE(f.Command1.visible());
    EXPECT_TRUE(f.Command1.enabled());
    EXPECT_FALSE(f.Command2.visible());
    EXPECT_FALSE(f.Command3.visible());
    wait(60000);  // the time limit went with the window
}

TEST_F(Cipher, AnyOtherKeyQueuesOneEscAndGoesBack) {
    toCipherButton();
    openCipher();
    expectIntro();
    wait(1000);
    // Shift+Home: the Shift key's own key-down comes first and is wrong.
    host.pressKey(form3(), platform::vk::kShift, 1);
    EXPECT_EQ(host.sentKeys, (std::vector<std::string>{"{Esc}"}));
    expectBackOnMainWindow();
    // Opening it again repeats the whole intro.
    openCipher();
    expectIntro();
    wait(1000);
    EXPECT_TRUE(state().AnswerOpen);
}

TEST_F(Cipher, AClickGoesBackAtAnyMomentEvenBeforeTheIntro) {
    toCipherButton();
    openCipher();
    host.mouseDown(form3());
    expectBackOnMainWindow();
    wait(5000);  // the intro timer went with the window
    openCipher();
    expectIntro();
    wait(1000);
    click(form3().Label1);
    expectBackOnMainWindow();
    openCipher();
    click(form3().Label2);
    expectBackOnMainWindow();
}

TEST_F(Cipher, ClosingTheCipherWindowBringsTheMainWindowBack) {
    toCipherButton();
    openCipher();
    expectIntro();
    wait(1000);
    host.close(form3());
    expectBackOnMainWindow();
    EXPECT_FALSE(host.ended());
}

}  // namespace
}  // namespace script
