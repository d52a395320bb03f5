-- flightWindow.lua: the ship's status in flight (credits, cargo, hull, engine, gravity tool,
-- weapons, the world), the accepted jobs (each can be abandoned), the switch of the hints and
-- the controls, so a new pilot needs nothing else to start.

local use = ...
local widgets = use("widgets")
local market = use("market")
local jobs = use("jobs")
local guide = use("guide")

local flightWindow = {}

local C = widgets.COLOURS

local LEFT, RIGHT, TOP = 10, 90, 80
local LOWEST = 20             -- the window keeps above the charge bar and the debug text
local TALLEST_ROW = 3.55      -- height of a row, less when the jobs would push the window too low
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
    local jobCargo = jobs.cargoUsed(player)
    if jobCargo > 0 then parts[#parts + 1] = "job cargo " .. jobCargo end
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

    local carried = jobs.accepted(player)
    local controlRows = math.ceil(#CONTROLS / 2)
    local rows = #lines + controlRows + 3 + 1 + math.max(1, #carried)
    -- Rows shrink when the jobs would push the window below its lowest edge.
    local row = math.min(TALLEST_ROW, (TOP - LOWEST - 6.5) / rows)
    local bottom = TOP - rows * row - 6.5
    local elements = {widgets.box("frame", LEFT, bottom, RIGHT, TOP, C.frame, C.panel)}
    local title = "In flight in " .. (ship.worldName ~= "" and ship.worldName or ("world " .. getPlayerWorld()))
    elements[#elements + 1] = widgets.text("title", LEFT + 1, TOP - row - 0.5, RIGHT - 1, TOP - 0.5, title, C.title)
    local y = TOP - row - 0.5
    for k, line in ipairs(lines) do
        elements[#elements + 1] = widgets.text("label" .. k, LEFT + 1, y - row, LABEL_RIGHT, y, line[1], C.header)
        elements[#elements + 1] = widgets.text("value" .. k, LABEL_RIGHT, y - row, RIGHT - 1, y, line[2], line[3])
        y = y - row
    end
    y = y - 1
    elements[#elements + 1] = widgets.text("jobsHeader", LEFT + 1, y - row, RIGHT - 1, y, "Jobs", C.header)
    y = y - row
    if #carried == 0 then
        elements[#elements + 1] = widgets.text("noJobs", LEFT + 1, y - row, RIGHT - 1, y,
                                               "None: land and press Jobs in the planet window", C.dim)
        y = y - row
    end
    for k, job in ipairs(carried) do
        elements[#elements + 1] = widgets.text("job" .. k, LEFT + 1, y - row, 76, y, jobs.describe(job), C.text)
        elements[#elements + 1] = widgets.button("abandon" .. job.slot, 77, y - row + 0.2, RIGHT - 1, y - 0.2,
                                                 "Abandon")
        y = y - row
    end
    elements[#elements + 1] = widgets.text("controlsHeader", LEFT + 1, y - row, RIGHT - 1, y, "Controls", C.header)
    y = y - row
    for k, control in ipairs(CONTROLS) do
        local second = (k - 1) % 2 == 1
        local x = second and 50 or LEFT + 1
        elements[#elements + 1] = widgets.text("key" .. k, x, y - row, x + 16, y, control[1], C.title)
        elements[#elements + 1] = widgets.text("does" .. k, x + 16, y - row, x + 39, y, control[2], C.dim)
        if second then y = y - row end
    end
    elements[#elements + 1] = widgets.text("hint", LEFT + 1, y - row, RIGHT - 1, y, HINT, C.text)
    local hints = guide.hintsOn(player) and "Hints off" or "Hints on"
    elements[#elements + 1] = widgets.button("hints", LEFT + 2, bottom + 1, LEFT + 20, bottom + 1 + TALLEST_ROW, hints)
    elements[#elements + 1] = widgets.button("close", 42, bottom + 1, 58, bottom + 1 + TALLEST_ROW, "Close")
    if window.status then
        elements[#elements + 1] = widgets.text("statusLine", 60, bottom + 1, RIGHT - 1, bottom + 1 + TALLEST_ROW,
                                               window.status, C.good)
    end
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

-- Close, the hints' switch and each job's Abandon.
function flightWindow.update(window, reports, changed)
    for _, report in ipairs(changed) do
        local abandon = tonumber(string.match(report.name, "^abandon(%d+)$"))
        if report.name == "close" then
            return widgets.close(window), true
        elseif report.name == "hints" then
            local on = not guide.hintsOn()
            guide.setHints(on)
            window.status = on and "Hints on" or "Hints off for good (until turned on)"
            debugDisplay(window.status)
        elseif abandon then
            local line = jobs.abandon(abandon)
            window.status = line
            debugDisplay(line)
        end
    end
    return widgets.update(window, build(window), reports), false
end

return flightWindow
