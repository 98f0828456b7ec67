#include "SetupTestSupport.h"

#include "interfaces/palm/CondMgr.h"
#include "win/Handles.h"

#include <doctest/doctest.h>

namespace {

// A registration as the build's Conduit Manager reports it.
struct Registration {
    std::string conduit;
    DWORD priority = 0;
};

// The registration under "vqKT", or nothing.
std::optional<Registration> Registered(const std::string& library) {
    win::Module condmgr(LoadLibraryA(library.c_str()));
    REQUIRE(condmgr);
    auto getName = win::ProcAddress<condmgr::GetCreatorNameFn>(condmgr.get(), condmgr::kGetCreatorName);
    auto getPriority =
        win::ProcAddress<condmgr::GetCreatorPriorityFn>(condmgr.get(), condmgr::kGetCreatorPriority);
    char name[MAX_PATH] = {};
    int size = sizeof(name);
    Registration found;
    if (getName("vqKT", name, &size) != condmgr::kOk ||
        getPriority("vqKT", &found.priority) != condmgr::kOk) {
        return std::nullopt;
    }
    found.conduit = name;
    return found;
}

void Unregister(const std::string& library) {
    win::Module condmgr(LoadLibraryA(library.c_str()));
    if (auto remove = win::ProcAddress<condmgr::RemoveConduitByCreatorIDFn>(
            condmgr.get(), condmgr::kRemoveConduitByCreatorID)) {
        remove("vqKT");
    }
}

} // namespace

TEST_CASE("the conduit is registered with the build's Conduit Manager: vqKT, its bare name, priority 2") {
    SetupWorld world(Double::Working, Double::Real);
    world.WriteFourEntryPackage();
    const std::string library = world.hotSyncFolder() + "\\condmgr.dll";
    Unregister(library);
    {
        ScriptedUi ui;
        OpenSetup setup(ui);
        setup.TypeFolder(world.Path("Kestrin"));
        setup.Install();
        CHECK(ui.Texts() == std::vector<std::string>{kComplete});
    }
    auto registration = Registered(library);
    REQUIRE(registration);
    CHECK(registration->conduit == "KestrinConduit.dll");
    CHECK(registration->priority == 2u);

    // Installing again while registered: the Conduit Manager refuses the creator, nothing is shown.
    ScriptedUi again;
    OpenSetup setup(again);
    setup.TypeFolder(world.Path("Kestrin"));
    setup.Install();
    CHECK(again.Texts() == std::vector<std::string>{kComplete});
    CHECK(Registered(library).has_value());
    Unregister(library);
    CHECK_FALSE(Registered(library).has_value());
}
