// A picture skin named relative to the run directory ("\pic\a.jpg", as the
// configuration keeps it) dresses the frame at start-up on every system.

#include <QDir>
#include <QFile>
#include <QImage>

#include "config/config_file.h"
#include "tests/gui/app/client_fixture.h"

namespace lanzhou::test {
namespace {

class PictureSkin : public RunningClient {};

TEST_F(PictureSkin, ARunRelativePictureIsShownAtStartUp) {
    ASSERT_TRUE(QDir(m_run.path()).mkpath(QStringLiteral("pic")));
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(QColor(0, 160, 0));
    ASSERT_TRUE(picture.save(m_run.filePath(QStringLiteral("pic/a.jpg")), "JPG"));
    QFile file(m_run.filePath(QStringLiteral("k_config.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[config]\r\nxl=0\r\nbx=1\r\nbcolour=178\r\nbpic=\\pic\\a.jpg\r\n");
    file.close();

    start();
    EXPECT_TRUE(m_client->frame().hasPicture());
    const QColor colour = m_client->frame().colour();  // the picture's average
    EXPECT_GT(colour.green(), 120);
    EXPECT_LT(colour.red(), 40);
}

}  // namespace
}  // namespace lanzhou::test
