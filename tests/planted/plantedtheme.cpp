// What another account would plant beside a copy of the program: a plugin
// that Qt takes for the theme of its platform (offscreen here, gtk3 under
// GNOME). Loading it is running it: it leaves a mark where
// ZENTOVA_PLANTED_MARK says, before Qt even asks it for anything.
#include <QObject>
#include <QtPlugin>
#include <cstdio>
#include <cstdlib>

class PlantedTheme : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformThemeFactoryInterface.5.1" FILE
                      "planted.json")
};

__attribute__((constructor)) static void leaveTheMark()
{
    if (const char *mark = std::getenv("ZENTOVA_PLANTED_MARK")) {
        if (FILE *file = std::fopen(mark, "w"))
            std::fclose(file);
    }
}

#include "plantedtheme.moc"
