// A real Qt application to paste into: one text field that starts with the text given on the
// command line, all selected (so Ctrl+C copies it). Return prints the field's text and quits.
// With TOVRA_TARGET_REPORT_CHANGES set, every change is printed too, as a JSON string on a line
// of its own: where no test keyboard can type Return (Wayland).
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLineEdit field;
    field.setWindowTitle("Paste target");
    field.setMinimumWidth(400);
    if (argc > 1) {
        field.setText(QString::fromUtf8(argv[1]));
        field.selectAll();
    }
    QObject::connect(&field, &QLineEdit::returnPressed, &field, [&field] {
        std::printf("%s\n", field.text().toUtf8().constData());
        std::fflush(stdout);
        QApplication::quit();
    });
    if (std::getenv("TOVRA_TARGET_REPORT_CHANGES") != nullptr) {
        QObject::connect(&field, &QLineEdit::textChanged, &field, [](const QString& text) {
            // A one-element array is the JSON string followed by its brackets.
            const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
            std::printf("%s\n", array.mid(1, array.size() - 2).constData());
            std::fflush(stdout);
        });
        // "<focused>" each time it takes the keyboard, where no test can ask the desktop (GNOME).
        QObject::connect(&application, &QGuiApplication::focusWindowChanged, &field,
                         [](QWindow* window) {
                             if (window != nullptr) {
                                 std::printf("\"<focused>\"\n");
                                 std::fflush(stdout);
                             }
                         });
    }
    field.show();
    field.activateWindow();
    return application.exec();
}
