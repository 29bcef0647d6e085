#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMessageBox::information(
        nullptr, QStringLiteral("Zelkora"), QStringLiteral("メインウィンドウはまだありません."));
    return 0;
}
