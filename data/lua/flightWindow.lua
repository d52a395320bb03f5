-- flightWindow.lua: the ship's status in flight (credits, cargo, hull, engine, gravity tool,
-- weapons, the world) and the controls, so a new pilot needs nothing else to start.

local use = ...
local widgets = use("widgets")
local market = use("market")

local flightWindow = {}

local C = widgets.COLOURS

local LEFT, RIGHT, TOP = 10, 90, 80
local ROW = 3.55
local LABEL_RIGHT = 28        -- labels end here, values start

-- The controls as pairs of keys and what they do, two pairs to a row.
local CONTROLS = {
    {"W / S", "thrust / reverse"}, {"A / D", "turn"},
    {"Space", "fire"}, {"1 to 7", "pick a weapon"},
    {"Mouse", "aim"}, {"L / R buttons", "pull / push wall"},
    {"Wheel, N, M", "zoom, depth"}, {"E", "windows"},
    {"Shift+F1..F5", "save"}, {"F1..F5 / Q", "load / quit"},
}
local HINT = "Land slowly on a planet to trade there."

local whole = market.whole

local function cargoText(player, capacity)
    local list = market.cargoList(player)
    local parts = {}
    for _, entry in ipairs(list) do parts[#parts + 1] = entry.name .. " " .. entry.count end
    local used = market.holdUsed(player) .. " / " .. capacity
    if #parts == 0 then return used .. ", empty" end
    return used .. ": " .. table.concat(parts, ", ")
end

-- Weapon slots as "1 Pulse Gun", always on two lines (the second may be empty) so the window
-- keeps its size and its button its place.
local function weaponLines(ship)
    local parts = {}
    for slot, weapon in ipairs(ship.weapons or {}) do
        local mark = slot == whole(ship.activeWeapon) and "*" or ""
        parts[#parts + 1] = slot .. mark .. " " .. weapon
    end
    if #parts == 0 then return {"none", ""} end
    if #parts <= 3 then return {table.concat(parts, ", "), ""} end
    local half = math.ceil(#parts / 2)
    return {table.concat(parts, ", ", 1, half), table.concat(parts, ", ", half + 1)}
end

local function build(window)
    local player = getPlayerData()
    local ship = getPlayerShip()
    local lines = {
        {"Credits", tostring(market.credits(player)), C.good},
        {"Cargo", cargoText(player, whole(ship.cargo)), C.text},
        {"Hull", ship.hull .. ", " .. whole(ship.hitpoints) .. " / " .. whole(ship.maxHitpoints) .. " hp", C.text},
        {"Engine", ship.engine, C.text},
        {"Gravity tool", ship.gravTool .. ", charge " .. whole(ship.charge) .. " / " .. whole(ship.maxCharge), C.text},
    }
    for k, line in ipairs(weaponLines(ship)) do lines[#lines + 1] = {k == 1 and "Weapons" or "", line, C.text} end

    local controlRows = math.ceil(#CONTROLS / 2)
    local bottom = TOP - (#lines + controlRows + 3) * ROW - 6.5
    local elements = {widgets.box("frame", LEFT, bottom, RIGHT, TOP, C.frame, C.panel)}
    local title = "In flight in " .. (ship.worldName ~= "" and ship.worldName or ("world " .. getPlayerWorld()))
    elements[#elements + 1] = widgets.text("title", LEFT + 1, TOP - ROW - 0.5, RIGHT - 1, TOP - 0.5, title, C.title)
    local y = TOP - ROW - 0.5
    for k, line in ipairs(lines) do
        elements[#elements + 1] = widgets.text("label" .. k, LEFT + 1, y - ROW, LABEL_RIGHT, y, line[1], C.header)
        elements[#elements + 1] = widgets.text("value" .. k, LABEL_RIGHT, y - ROW, RIGHT - 1, y, line[2], line[3])
        y = y - ROW
    end
    y = y - 1
    elements[#elements + 1] = widgets.text("controlsHeader", LEFT + 1, y - ROW, RIGHT - 1, y, "Controls", C.header)
    y = y - ROW
    for k, control in ipairs(CONTROLS) do
        local second = (k - 1) % 2 == 1
        local x = second and 50 or LEFT + 1
        elements[#elements + 1] = widgets.text("key" .. k, x, y - ROW, x + 16, y, control[1], C.title)
        elements[#elements + 1] = widgets.text("does" .. k, x + 16, y - ROW, x + 39, y, control[2], C.dim)
        if second then y = y - ROW end
    end
    elements[#elements + 1] = widgets.text("hint", LEFT + 1, y - ROW, RIGHT - 1, y, HINT, C.text)
    elements[#elements + 1] = widgets.button("close", 42, bottom + 1, 58, bottom + 1 + ROW, "Close")
    return elements
end

function flightWindow.open(window)
    local elements = build(window)
    -- What the window says also goes to the log, for modders (and tests) to follow.
    for _, element in ipairs(elements) do
        if string.match(element.name, "^value%d+$") and element.text ~= "" then debugDisplay(element.text) end
    end
    return widgets.open(window, elements)
end

-- The only thing to click is Close.
function flightWindow.update(window, reports, changed)
    for _, report in ipairs(changed) do
        if report.name == "close" then return widgets.close(window), true end
    end
    return widgets.update(window, build(window), reports), false
end

return flightWindow
