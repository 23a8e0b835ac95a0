// A real Qt application to paste into: one text field that starts with the text given on the
// command line, all selected (so Ctrl+C copies it). Return prints the field's text and quits.
#include <QApplication>
#include <QLineEdit>
#include <cstdio>

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
    field.show();
    field.activateWindow();
    return application.exec();
}
