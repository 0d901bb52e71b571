// The bare Qt Widgets program the game is measured against: nothing of the
// game, only what any Qt program of its kind must load.
//
//   mochitama_reference labels   four Japanese labels in a borderless window
//                                (what the game's title window shows)
//   mochitama_reference menu     a main window with a menu bar that opens with
//                                a message box; ファイル > 終了 ends it
//   mochitama_reference timers   a plain QTimer and a Qt::PreciseTimer of
//                                2000 ms, five times each, one JSON line each
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

int labels(QApplication& app) {
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("reference labels"));
    window.setFixedSize(257, 112);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xFF, 0xE0, 0xC0));
    window.setPalette(palette);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(15.75);
    font.setBold(true);
    const char* letters[] = {"も", "ち", "た", "ま"};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromUtf8(letters[i]), &window);
        label->setFont(font);
        label->setGeometry(24 + 32 * i, 16 + 8 * (i % 2), 25, 25);
    }
    window.show();
    return app.exec();
}

int menu(QApplication& app) {
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("reference menu"));
    auto* file = window.menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(QStringLiteral("終了(&X)"), &app, &QApplication::quit);
    auto* help = window.menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(QStringLiteral("ﾋﾝﾄの表示(&O)"));
    help->addSeparator();
    help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&V)"));
    auto* central = new QWidget(&window);
    QPalette palette = central->palette();
    palette.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    central->setPalette(palette);
    central->setAutoFillBackground(true);
    auto* question = new QLabel(QStringLiteral("やめるなら今のうちよ"), central);
    question->setGeometry(8, 40, 320, 40);
    auto* yes = new QPushButton(QStringLiteral("はい"), central);
    yes->setGeometry(72, 160, 65, 25);
    auto* no = new QPushButton(QStringLiteral("いいえ"), central);
    no->setGeometry(200, 160, 65, 25);
    window.setCentralWidget(central);
    window.setFixedSize(341, 240 + window.menuBar()->sizeHint().height());
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        QMessageBox::information(&window, QStringLiteral("reference box"),
                                 QStringLiteral("『もちたま』の世界へようこそ\n頑張ってこのソフト、終わらせてみてね"));
    });
    return app.exec();
}

// One QTimer of 2000 ms at a time, started from inside the running event
// loop and measured from start() to timeout() with a steady clock; the next
// one starts once the handler of the last has returned.
int timers(QApplication& app) {
    struct Kind {
        const char* name;
        Qt::TimerType type;
        std::vector<double> samples;
    };
    std::vector<Kind> kinds = {{"plain QTimer (coarse)", Qt::CoarseTimer, {}}, {"Qt::PreciseTimer", Qt::PreciseTimer, {}}};
    constexpr std::size_t kRounds = 5;
    constexpr int kInterval = 2000;
    QTimer timer;
    timer.setSingleShot(true);
    QElapsedTimer clock;
    std::size_t kind = 0;
    auto startNext = [&] {
        timer.setTimerType(kinds[kind].type);
        clock.start();
        timer.start(kInterval);
    };
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        kinds[kind].samples.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (kinds[kind].samples.size() == kRounds && ++kind == kinds.size()) {
            QCoreApplication::exit(0);
            return;
        }
        QTimer::singleShot(0, &app, startNext);
    });
    QTimer::singleShot(0, &app, startNext);
    app.exec();
    for (const Kind& k : kinds) {
        std::printf("{\"name\": \"%s\", \"interval\": %d, \"samples\": [", k.name, kInterval);
        for (std::size_t i = 0; i < k.samples.size(); ++i) std::printf("%s%.3f", i ? ", " : "", k.samples[i]);
        std::printf("]}\n");
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "labels";
    QApplication app(argc, argv);
    if (std::strcmp(mode, "labels") == 0) return labels(app);
    if (std::strcmp(mode, "menu") == 0) return menu(app);
    if (std::strcmp(mode, "timers") == 0) return timers(app);
    std::fprintf(stderr, "usage: %s labels|menu|timers\n", argv[0]);
    return 2;
}
