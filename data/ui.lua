-- ui.lua: the game's script. The engine calls three globals: "planetTick" (a planet's economy,
-- every 500 ms of play), "addUI" (an event: the e key opens the planet window when landed, the
-- ship's status window in flight) and "updateUI" (the user changed something in an open window),
-- and the optional "gameLoaded" (after a load) and "shipDestroyed" (a ship of the player's world
-- was destroyed). The top level only defines things: the engine functions exist once the game
-- has started.
--
-- The parts live in lua/ beside this file: widgets (window elements and updates), market (prices,
-- credits, cargo, equipment), economy (the planets' tick), jobs (the job board), guide (the hints
-- of the first trip), towing (a disabled ship), pilotData (every key of the player's data),
-- planetWindow and flightWindow.

local SCRIPT_FOLDER = string.match(debug.getinfo(1, "S").source, "^@(.*[/\\])") or ""

local loaded = {}

-- Loads lua/<name>.lua once; each part receives this function to load the parts it needs, and
-- the folder of the script (where the content files lie).
local function use(name)
    if loaded[name] == nil then
        local chunk = assert(loadfile(SCRIPT_FOLDER .. "lua/" .. name .. ".lua"))
        loaded[name] = chunk(use, SCRIPT_FOLDER)
    end
    return loaded[name]
end

local economy = use("economy")
local planetWindow = use("planetWindow")
local flightWindow = use("flightWindow")
local towing = use("towing")
local jobs = use("jobs")
local guide = use("guide")
local market = use("market")

-- The windows by kind: landed, the planet's; in flight, the ship's own.
local WINDOWS = {
    planet = {name = "planetWindow", module = planetWindow},
    flight = {name = "flightWindow", module = flightWindow},
}

-- The numbers the engine sends when the e key is pressed; the first says which event it is.
local KEY_EVENT = 1

-- The open window, if any: {name, kind ("planet" or "flight"), planet, shown elements, ...}.
local window = nil

function planetTick(id)
    economy.tick(id)
    towing.noteLanding()
    -- Landing on a delivery's planet pays for it at once.
    if getIsPlayerLanded() == 1 then
        for _, message in ipairs(jobs.landedOn(getPlayerLandedPlanetId())) do
            guide.message(message)
            guide.done("deliver")
        end
    end
    guide.tick()
end

-- Called by the engine once when the ship's hit points reach zero: it is towed.
function playerDisabled()
    towing.disabled()
    -- The tow gives the controls back; an open window keeps them until it closes.
    if window ~= nil then disablePlayerInput() end
end

-- A ship of the player's world was destroyed; `byPlayer` is 1 when the player's shot or beam
-- dealt the fatal damage. Bounties count those.
function shipDestroyed(faction, typeName, byPlayer)
    for _, message in ipairs(jobs.shipDestroyed(faction, byPlayer)) do guide.message(message) end
end


-- Engine events. Called once without arguments at start-up. Answers the element tables and,
-- last, the window's name; a single nil when there is nothing to open (no answer at all would
-- be reported as a window without a name).
function addUI(...)
    if select("#", ...) == 0 then
        guide.start()
        return nil
    end
    local kind = ...
    if kind ~= KEY_EVENT or window ~= nil then return nil end

    local windowKind = getIsPlayerLanded() == 1 and "planet" or "flight"
    window = {name = WINDOWS[windowKind].name, kind = windowKind}
    local answers = WINDOWS[windowKind].module.open(window, getPlayerLandedPlanetId())
    -- The ship waits while a window is open.
    disablePlayerInput()
    return unpack(answers)
end

-- Called with the window's name and one report table per element whenever the user changed
-- something; answers tables that change, delete or add elements.
function updateUI(name, ...)
    local reports, changed = {}, {}
    for i = 1, select("#", ...) do
        local report = select(i, ...)
        if type(report) == "table" and report.name then
            reports[report.name] = report
            if report.modified then changed[#changed + 1] = report end
        end
    end

    -- A window the script does not know (left from before a load) is simply taken down.
    if window == nil or name ~= window.name then
        local answers = {}
        for elementName in pairs(reports) do answers[#answers + 1] = {name = elementName, delete = 1} end
        return unpack(answers)
    end

    local answers, closed = WINDOWS[window.kind].module.update(window, reports, changed)
    if closed then
        window = nil
        enablePlayerInput()
    end
    return unpack(answers)
end

-- Called by the engine after a saved game was loaded: loading closed every window.
function gameLoaded()
    window = nil
    market.forgetGoods()
    guide.start()
end
