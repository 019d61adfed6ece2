// Prints the folder Qt reports for the running program. The installed layout relies on it naming
// the folder of the real file when the program is started through a symbolic link.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf("%s\n", QCoreApplication::applicationDirPath().toLocal8Bit().constData());
  return 0;
}
