// Records one stock movement on card 1 of a program folder the way the card editor does (the
// movement pending, the card, the movement confirmed) and kills itself at a chosen point. Usage:
// movement_worker FOLDER POINT QUANTITY, POINT one of prepare (before the pending rows), card (before
// the card's first write), confirm (before the confirmation) or none. Prints "done" when it finishes.
#include "storage/FieldRules.h"
#include "storage/Movements.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "warehouse/rules/MovementRules.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    setProgramFolderOverride(args[1]);
    const QString point = args[2];
    const double quantity = args[3].toDouble();

    if (point == QLatin1String("prepare") || point == QLatin1String("confirm")) {
        const auto at = point == QLatin1String("prepare") ? Movements::Step::Prepare : Movements::Step::Confirm;
        Movements::setStepHook([at](Movements::Step step) {
            if (step == at)
                std::raise(SIGKILL);
            return true;
        });
    } else if (point == QLatin1String("card")) {
        Os::Faults::Fault fault;
        fault.kind = Os::Faults::Kind::Write;
        fault.path = "Magazzino.pro";
        fault.wholeName = true;
        fault.hook = [](Os::Faults::Kind, int, const std::string &) { std::raise(SIGKILL); };
        Os::Faults::arm(fault);
    }

    TSchedaProdotto card = WarehouseArchive::read(1);
    const double stored = parseDecimal(card[TSchedaProdotto::Giacenza]).value_or(0.0);
    card[TSchedaProdotto::Giacenza] = generalForm(stored + quantity);
    Movements::Recording recording;
    if (recording.prepare(MovementRules::cardMovements(card, 1, stored, { { quantity > 0, std::abs(quantity) } }))
        != Movements::Problem::None)
        return 3;
    WarehouseArchive::overwrite(1, card);
    if (recording.confirm() != Movements::Problem::None)
        return 4;
    std::puts("done");
    return 0;
}
