#include "driver/usage.h"

#include "platform/console.h"
#include "txt2vb_version.h"

#define E_ACUTE TXT2VB_E_ACUTE

void printNamedOptionUsage(std::string& usage) {
    usage +=
        "   -nbl : nombre de ligne a bufferiser\n"
        "   -nbf : nombre de avant la marque\n"
        "    -nl : garde les fins de ligne (-nl:vbCrLf, vbLf, vbCr ou vbNewLine)\n"
        "   -var : affecte le texte " TXT2VB_A_GRAVE
        " la variable (ex: -var:s)\n"
        "   -vba : sortie accept" E_ACUTE
        "e par VBA et VB6 (24 continuations, lignes de 1023 au plus)\n"
        "  -chrw : sortie ASCII, le reste en ChrW(&HXXXX)\n"
        "-decode : redonne le texte d'une expression\n";
}

std::string usageText(const std::string& progPath) {
    std::string text = progPath +
                       " ([-a:fileAppend]|([-r[-l][-e:fileExt]])) [-d] [-s] [-t] "
                       "[-nl[:vbCrLf|vbLf|vbCr|vbNewLine]] [-var:NAME] [-vba] [-chrw] [-decode] [--] FileIn|- "
                       "[>outfile.txt]\n";
    text += "\n";
    text += "Logiciel de traitement lexical (Version " + std::to_string(kVersionMajor) + "." +
            std::to_string(kVersionMinor) + "." + std::to_string(kVersionPatch) + ")\n";
    text += "     -a : ajoute le r" E_ACUTE "sultat au fichier sp" E_ACUTE "cifi" E_ACUTE
            "\n"
            "     -d : affiche les r" E_ACUTE
            "pertoires parcourus\n"
            "     -e : change l'extension du fichier de sortie (ex: -e:asp)\n"
            "     -r : recouvre le fichier d'entr" E_ACUTE "e par le r" E_ACUTE
            "sultat\n"
            "          sinon le r" E_ACUTE "sultat est dirig" E_ACUTE " vers la sortie " E_ACUTE
            "cran (stdout)\n"
            "     -s : mode silencieux\n"
            "     -t : modification dans toute l'arboraissance\n"
            "     -l : indique la diff" E_ACUTE
            "rence de taille entre le fichier\n"
            "          original et le fichier de sortie\n"
            "     -v : mode bavard\n";
    printNamedOptionUsage(text);
    text +=
        "     -? : ce message\n"
        " --help : ce message\n"
        "--version : le nom et la version du logiciel\n"
        "      - : l'entr" E_ACUTE
        "e standard au lieu d'un fichier\n"
        "     -- : la fin des options\n"
        "\n";
    return text;
}

std::string versionText() { return std::string("txt2vb ") + kVersionText + "\n"; }
