#include "driver/usage.h"

#include "driver/exit_status.h"
#include "driver/run_settings.h"
#include "platform/console.h"
#include "platform/text_output.h"
#include "txt2vb_version.h"

#define E_ACUTE TXT2VB_E_ACUTE

void printNamedOptionUsage() {
    platform::TextOutputStream& out = platform::standardOutput();
    out.writeText("   -nbl : nombre de ligne a bufferiser\n");
    out.writeText("   -nbf : nombre de avant la marque\n");
    out.writeText("    -nl : garde les fins de ligne (-nl:vbCrLf, vbLf, vbCr ou vbNewLine)\n");
    out.writeText("   -var : affecte le texte a la variable (ex: -var:s)\n");
    out.writeText("   -vba : sortie accept" E_ACUTE "e par VBA et VB6 (24 continuations, lignes de 1023 au plus)\n");
    out.writeText("  -chrw : sortie ASCII, le reste en ChrW(&HXXXX)\n");
    out.writeText("-decode : redonne le texte d'une expression\n");
}

void printUsage(ExitStatus status) {
    platform::TextOutputStream& out = platform::standardOutput();
    out.printf("%s ([-a:fileAppend]|([-r[-l][-e:fileExt]])) [-d] [-s] [-t] [-nl[:vbLf]] [-var:NAME] [-vba] [-chrw] [-decode] [--] FileIn|- [>outfile.txt]\n",
               settings.progPath.c_str());
    out.writeText("\n");
    out.printf("Logiciel de traitement lexical (Version %d.%d.%d)\n", kVersionMajor, kVersionMinor,
               kVersionPatch);
    out.writeText("     -a : ajoute le r" E_ACUTE "sultat au fichier sp" E_ACUTE "cifi" E_ACUTE "\n");
    out.writeText("     -d : affiche les r" E_ACUTE "pertoires parcourus\n");
    out.writeText("     -e : change l'extension du fichier de sortie (ex: -e:asp)\n");
    out.writeText("     -r : recouvre le fichier d'entr" E_ACUTE "e par le r" E_ACUTE "sultat\n");
    out.writeText("          sinon le r" E_ACUTE "sultat est dirig" E_ACUTE " vers la sortie " E_ACUTE "cran (stdout)\n");
    out.writeText("     -s : mode silencieux\n");
    out.writeText("     -t : modification dans toute l'arboraissance\n");
    out.writeText("     -l : indique la diff" E_ACUTE "rence de taille entre le fichier\n");
    out.writeText("          original et le fichier de sortie\n");
    out.writeText("     -v : mode bavard\n");
    printNamedOptionUsage();
    out.writeText("     -? : ce message\n");
    out.writeText("      - : l'entr" E_ACUTE "e standard au lieu d'un fichier\n");
    out.writeText("     -- : la fin des options\n");
    out.writeText("\n");
    exitWith(status);
}

void printVersion() {
    platform::TextOutputStream& out = platform::standardOutput();
    out.printf("txt2vb %s\n", kVersionText);
    exitWith(ExitStatus::Normal);
}
