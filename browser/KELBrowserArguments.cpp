#include "browser/KELBrowserArguments.h"

namespace tallomer {

namespace {
bool lireId(const QString& texte, KELId* id)
{
    if (texte.isEmpty() || texte.size() > 19)
        return false;
    for (QChar c : texte)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    const qulonglong v = texte.toULongLong(&ok, 10);
    if (!ok || v == 0)
        return false;
    *id = KELId(v);
    return true;
}
} // namespace

std::vector<KELBrowserArguments::Requete> KELBrowserArguments::lire(const QStringList& options)
{
    std::vector<Requete> out;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QString& o = options.at(i);
        const bool aValeur = i + 1 < options.size() && !options.at(i + 1).startsWith(QLatin1String("--"));
        const QString valeur = aValeur ? options.at(i + 1) : QString();
        if (o == QLatin1String("--link-browser")) {
            Requete r;
            if (!aValeur)
                r.erreur = QStringLiteral("--link-browser needs a link id");
            else if (!lireId(valeur, &r.lienInt))
                r.erreur = QStringLiteral("--link-browser: \"%1\" is no link id").arg(valeur);
            i += aValeur ? 1 : 0;
            out.push_back(r);
        } else if (o == QLatin1String("--cursor")) {
            i += aValeur ? 1 : 0;
            if (out.empty() || out.back().curseurInt != 0 || !out.back().erreur.isEmpty()) {
                if (out.empty() || out.back().erreur.isEmpty())
                    out.push_back({0, 0, QStringLiteral("--cursor belongs after --link-browser <link id>")});
                continue;
            }
            if (!aValeur)
                out.back().erreur = QStringLiteral("--cursor needs a cursor id");
            else if (!lireId(valeur, &out.back().curseurInt))
                out.back().erreur = QStringLiteral("--cursor: \"%1\" is no cursor id").arg(valeur);
        } else {
            out.push_back({0, 0, QStringLiteral("unknown option %1").arg(o)});
        }
    }
    return out;
}

} // namespace tallomer
