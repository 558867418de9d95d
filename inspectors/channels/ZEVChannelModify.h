#pragma once
// What the modify panel reads and writes, apart from any widget: the current Channel's name,
// home state and current Space (title, colour, scale, picture) at the active cursor, and the
// writes of its OK. A colour or a scale is rewritten over every period in which the Space's
// picture is the Channel's background, so that exactly one colour (scale) link is in force at
// every moment of each period; links before and after keep their values.

#include "engine/KELTypes.h"

#include <QColor>
#include <QString>

#include <string>

class KELI;
class KELICurseur;

namespace tallomer {

class ZEVChannelClass;
class ZEVSpaceController;

class ZEVChannelModify {
public:
    // A probe's distance from a period's ends, in seconds.
    static constexpr double kProbe = 0.25;

    // Neither is owned; both outlive this object.
    ZEVChannelModify(ZEVSpaceController& space, ZEVChannelClass& model);

    // The panel's contents at the active cursor.
    struct State {
        bool listed = false;          // the current Channel is listed at the active cursor
        KELI* image = nullptr;        // the current Space's picture Object
        QString path;                 // its file; empty when there is none
        QColor color;                 // the Space's colour, or the default colour when unlisted
        KELId scaleInt = 0;           // the scale word's id (fit or fill), 0 for none
        bool home = false;            // the current Channel is the home Channel
        std::string channelName;
        std::string spaceName;
        bool searchActive = false;
    };
    State current();
    // Only what tells one Space from another: its picture Object and whether it is listed.
    KELI* currentImage(bool* listed);

    // What the user chose; OK applies it.
    struct Choices {
        std::string channelName;
        std::string spaceName;
        QColor color;
        KELId scaleInt = 0;
        QString path;
    };
    // The Channel's name always; the Space's only while the Channel is listed at the active
    // cursor. False when the new picture was refused (the rest is still written).
    bool apply(const Choices& choices);

    // Renames the current Channel when the name differs; an empty name changes nothing.
    bool renameChannel(const std::string& name);
    // Makes the current Channel the home Channel at once; false when it could not be stored.
    bool setAsHome();
    // Rewrite the colour (scale) over every period of the current Space; answer how many
    // periods were rewritten. Values are compared by their red, green and blue (0 to 255).
    int modifyColor(const QColor& color);
    int modifyScale(KELId scaleInt);
    // Gives the Space's picture Object a new file. An unreadable picture is refused with a beep
    // and changes nothing; the file the store held is removed only once the new one is recorded.
    bool modifyImageItem(KELI* image, const QString& path);

    // Whether the file decodes as a picture within the shared limits.
    static bool siImageLisible(const QString& path);
    static bool memeCouleur(const QColor& a, const QColor& b);

private:
    KELICurseur* actif() const;
    KELI* currentChannel() const;
    // The value `valeur` of relation `rel` over each period of the current Space; `erreur` is the
    // log line of a link found by id that cannot be taken at the active cursor.
    int rewritePeriods(KELId rel, KELI* valeur, const char* erreur);
    // The value's new link over the period; nullptr when nothing was to be written or could be.
    KELI* rewritePeriod(KELId rel, KELI* channel, KELI* valeur, KELDate in, KELDate out, const char* erreur);

    ZEVSpaceController& space_; // not owned
    ZEVChannelClass& model_;    // not owned
};

} // namespace tallomer
