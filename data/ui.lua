-- ui.lua: the planets' economy, ticked by the engine, and the planet window opened with the e key.
-- The top level only defines things: the engine functions exist once the game has started.

---------------------------------------------------------------------------------------------------
-- Economy
---------------------------------------------------------------------------------------------------

local ELEMENT_NAMES = {"Iron", "Copper", "Ice", "Gas", "Crystal"}
local FACTORIES = {"engineFactory", "hullFactory", "weaponFactory", "gravToolFactory"}
local MAX_DRILL = 5
local MAX_FACTORY = 10
local MAX_DEFENCE = 10
local MAX_HEALTH = 100
local HEALTH_PER_TICK = 0.5
local DEPLETE_EVERY = 20      -- ticks (half seconds) between losses of a drilled element
local REGROW_EVERY = 60       -- ticks between regrowths of an undrilled element
local REGROW_LIMIT = 10       -- an element regrows up to this amount
local FACTORY_EVERY = 40      -- ticks between factory expansions on an owned planet
local FACTORY_COST = 5        -- Iron taken from the stockpile for one factory level
local DEFENCE_EVERY = 60      -- ticks between defence upgrades on an owned planet

local function number(value)
    return tonumber(value) or 0
end

-- Writes a planet record back, keeping the planet's other extra data. setPlanetData stores every
-- key of the table as text, so the table carries the extra keys along; the position and radius
-- are the engine's and are left out.
local function writePlanet(id, data, extra)
    for key, value in pairs(extra) do
        if data[key] == nil then data[key] = value end
    end
    data.x, data.y, data.radius = nil, nil, nil
    setPlanetData(id, data)
end

-- One step of a planet's economy, every 500 ms of play for the planets of the player's world.
function planetTick(id)
    local data, extra = getPlanetData(id)
    local ticks = number(extra.ticks) + 1
    data.ticks = ticks

    for i = 1, 5 do
        local element, stock, drill = "element" .. i, "elementStockpile" .. i, "drillLevel" .. i
        local level = math.max(0, number(data[drill]))
        if level > 0 and number(data[element]) > 0 then
            data[stock] = number(data[stock]) + level
            if ticks % DEPLETE_EVERY == 0 then
                data[element] = math.max(0, number(data[element]) - level)
            end
        elseif level == 0 and ticks % REGROW_EVERY == 0 and number(data[element]) < REGROW_LIMIT then
            data[element] = number(data[element]) + 1
        end
    end

    if number(data.factionOwner) >= 0 then
        if ticks % FACTORY_EVERY == 0 then
            local factory = FACTORIES[(ticks / FACTORY_EVERY) % #FACTORIES + 1]
            if number(data[factory]) < MAX_FACTORY and number(data.elementStockpile1) >= FACTORY_COST then
                data[factory] = number(data[factory]) + 1
                data.elementStockpile1 = number(data.elementStockpile1) - FACTORY_COST
            end
        end
        if ticks % DEFENCE_EVERY == 0 and number(data.defenceLevel) < MAX_DEFENCE then
            data.defenceLevel = number(data.defenceLevel) + 1
        end
    end

    if number(data.health) < MAX_HEALTH then
        data.health = math.min(MAX_HEALTH, number(data.health) + HEALTH_PER_TICK)
    end

    writePlanet(id, data, extra)
end

---------------------------------------------------------------------------------------------------
-- Windows
---------------------------------------------------------------------------------------------------

-- Coordinates are percent of the screen, origin at the lower left.
local KEY_EVENT = 1
local PLANET_WINDOW = "planetWindow"
local FLIGHT_WINDOW = "flightWindow"
local ROW = 5                 -- height of one row of the planet window, with its gap
local LOWEST_ROW = 24         -- rows stop above the status line and the Close button
local MAX_GOODS = 3
local MAX_EQUIPMENT = 2

local windowOpen = false      -- at most one window at a time
local openPlanet = -1         -- the planet the window shows
local cargo = {}              -- goods bought by the player, by name

local function text(name, x1, y1, x2, y2, label)
    return {type = "text", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = label, font = 0}
end

local function box(name, x1, y1, x2, y2)
    return {type = "box", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = "", font = 0}
end

local function button(name, x1, y1, x2, y2, label)
    return {type = "button", name = name, x1 = x1, y1 = y1, x2 = x2, y2 = y2, text = label, font = 0,
            initialState = 0}
end

-- Full scale of a stockpile bar: 100, doubled until the amount fits.
local function scaleFor(amount)
    local scale = 100
    while amount > scale do scale = scale * 2 end
    return scale
end

local function ownerText(owner)
    if owner < 0 then return "Unowned" end
    return "Owner: faction " .. owner
end

local function priceText(price)
    return tostring(math.floor(price * 100 + 0.5) / 100)
end

-- Goods and equipment of a planet as lists of {name, price}.
local function listOf(...)
    local list = {}
    for i = 1, select("#", ...) do
        local entry = select(i, ...)
        if type(entry) == "table" then list[#list + 1] = entry end
    end
    return list
end

-- Elements in drawing order (the first is drawn first, at the bottom). The window keeps clear of
-- the radar and the map in the top corners and of the debug text at the bottom left.
local function planetWindow(id)
    local data = getPlanetData(id)
    local elements = {
        box("frame", 17, 17, 83, 95),
        text("title", 18, 90, 82, 94, getDecodedPlanetName(id)),
        text("owner", 18, 85, 82, 89, ownerText(number(data.factionOwner))),
        text("stockHeader", 30, 80, 59, 84, "Stock"),
        text("drillHeader", 60, 80, 82, 84, "Drills"),
    }
    for i = 1, 5 do
        local top = 79 - (i - 1) * ROW
        local stock = number(data["elementStockpile" .. i])
        local drill = number(data["drillLevel" .. i])
        elements[#elements + 1] = text("elementName" .. i, 18, top - 4, 29, top, ELEMENT_NAMES[i])
        elements[#elements + 1] = {type = "bar", name = "stock" .. i, x1 = 30, y1 = top - 4, x2 = 52, y2 = top,
                                   leftVal = 0, rightVal = scaleFor(stock), curVal = stock}
        elements[#elements + 1] = text("stockText" .. i, 52, top - 4, 59, top, tostring(stock))
        elements[#elements + 1] = {type = "slider", name = "drill" .. i, x1 = 60, y1 = top - 4, x2 = 77, y2 = top,
                                   arrowWidth = 2, leftVal = 0, rightVal = MAX_DRILL, curVal = drill}
        elements[#elements + 1] = text("drillText" .. i, 77, top - 4, 82, top, tostring(drill))
    end

    local y = 54
    local goods = listOf(getPlanetTradeGoods(id))
    if #goods > 0 then
        elements[#elements + 1] = text("goodsHeader", 18, y - 4, 82, y, "Trade goods")
        for k = 1, math.min(#goods, MAX_GOODS) do
            y = y - ROW
            if y - 4 < LOWEST_ROW then break end
            local good = goods[k]
            elements[#elements + 1] = button("buy" .. k, 18, y - 4, 49, y,
                                             "Buy " .. good.name .. " (" .. priceText(good.price) .. ")")
            elements[#elements + 1] = button("sell" .. k, 51, y - 4, 82, y, "Sell " .. good.name)
        end
        y = y - ROW
    end
    local equipment = listOf(getPlanetEquipment(id))
    if #equipment > 0 and y - 4 >= LOWEST_ROW then
        elements[#elements + 1] = text("equipmentHeader", 18, y - 4, 82, y, "Equipment")
        for k = 1, math.min(#equipment, MAX_EQUIPMENT) do
            y = y - ROW
            if y - 4 < LOWEST_ROW then break end
            local item = equipment[k]
            elements[#elements + 1] = button("equip" .. k, 18, y - 4, 82, y,
                                             "Build " .. item.name .. " (" .. priceText(item.price) .. ")")
        end
    end

    elements[#elements + 1] = text("status", 18, 18, 66, 23, "")
    elements[#elements + 1] = button("close", 68, 18, 82, 23, "Close")
    return elements
end

local function flightWindow()
    return {
        box("frame", 22, 40, 78, 62),
        text("where", 24, 55, 76, 60, "In flight, world " .. getPlayerWorld()),
        text("howToLand", 24, 49, 76, 54, "Fly slowly onto a planet to land"),
        button("close", 42, 42, 58, 47, "Close"),
    }
end

-- Engine events. Called once without arguments at start-up, which answers nothing; the e key
-- sends (1.0, 6.4, 9.4, -94.0). Answers the element tables and, last, the window's name; the
-- engine takes them from the last to the first, so they go back in reverse drawing order.
function addUI(...)
    if select("#", ...) == 0 then return end
    local kind = ...
    if kind ~= KEY_EVENT or windowOpen then return end

    local elements, name
    if getIsPlayerLanded() == 1 then
        openPlanet = getPlayerLandedPlanetId()
        elements, name = planetWindow(openPlanet), PLANET_WINDOW
    else
        openPlanet = -1
        elements, name = flightWindow(), FLIGHT_WINDOW
    end
    windowOpen = true
    disablePlayerInput()

    local answers = {}
    for i = #elements, 1, -1 do answers[#answers + 1] = elements[i] end
    answers[#answers + 1] = name
    return unpack(answers)
end

---------------------------------------------------------------------------------------------------
-- Answers to the user's changes
---------------------------------------------------------------------------------------------------

-- Index of a trade good or equipment entry from an element name such as "buy2".
local function indexIn(name, prefix)
    return tonumber(string.match(name, "^" .. prefix .. "(%d+)$"))
end

local function setText(reports, answers, name, label)
    local report = reports[name]
    if report then
        report.text = label
        answers[#answers + 1] = report
    end
end

-- Buying takes one unit of the good's stockpile into the hold; selling gives one back.
local function trade(id, index, buying)
    local goods = listOf(getPlanetTradeGoods(id))
    local good = goods[index]
    if not good then return "" end
    local data, extra = getPlanetData(id)
    local stock = "elementStockpile" .. ((index - 1) % 5 + 1)
    local held = cargo[good.name] or 0
    if buying then
        if number(data[stock]) < 1 then return good.name .. " is out of stock" end
        data[stock] = number(data[stock]) - 1
        held = held + 1
    else
        if held < 1 then return "No " .. good.name .. " in the hold" end
        data[stock] = number(data[stock]) + 1
        held = held - 1
    end
    cargo[good.name] = held
    writePlanet(id, data, extra)
    return good.name .. " in hold: " .. held
end

-- Building equipment uses the planet's Iron: a tenth of the price, at least one unit.
local function build(id, index)
    local item = listOf(getPlanetEquipment(id))[index]
    if not item then return "" end
    local data, extra = getPlanetData(id)
    local cost = math.max(1, math.ceil(number(item.price) / 10))
    if number(data.elementStockpile1) < cost then return "Needs " .. cost .. " Iron" end
    data.elementStockpile1 = number(data.elementStockpile1) - cost
    writePlanet(id, data, extra)
    return "Built " .. item.name
end

local function closeWindow(list)
    local answers = {}
    for _, report in ipairs(list) do
        answers[#answers + 1] = {name = report.name, delete = 1}
    end
    windowOpen = false
    openPlanet = -1
    enablePlayerInput()
    return answers
end

-- Called with the window's name and one report table per element whenever the user changed
-- something; answers tables that change or delete elements.
function updateUI(name, ...)
    local list = {}
    local reports = {}
    for i = 1, select("#", ...) do
        local report = select(i, ...)
        if type(report) == "table" and report.name then
            list[#list + 1] = report
            reports[report.name] = report
        end
    end

    local answers = {}
    local status = nil
    for _, report in ipairs(list) do
        if report.modified then
            local element = report.name
            if element == "close" then
                return unpack(closeWindow(list))
            elseif openPlanet >= 0 then
                local drill = indexIn(element, "drill")
                local buy, sell, equip = indexIn(element, "buy"), indexIn(element, "sell"), indexIn(element, "equip")
                if drill then
                    local level = math.max(0, math.min(MAX_DRILL, math.floor(number(report.curVal) + 0.5)))
                    local data, extra = getPlanetData(openPlanet)
                    data["drillLevel" .. drill] = level
                    writePlanet(openPlanet, data, extra)
                    report.curVal = level
                    answers[#answers + 1] = report
                    setText(reports, answers, "drillText" .. drill, tostring(level))
                elseif buy or sell then
                    status = trade(openPlanet, buy or sell, buy ~= nil)
                elseif equip then
                    status = build(openPlanet, equip)
                end
                if buy or sell or equip then
                    report.state = 0   -- the button springs back up
                    answers[#answers + 1] = report
                end
            end
        end
    end

    if openPlanet >= 0 then
        local data = getPlanetData(openPlanet)
        for i = 1, 5 do
            local stock = number(data["elementStockpile" .. i])
            local bar = reports["stock" .. i]
            if bar then
                bar.curVal = stock
                bar.rightVal = scaleFor(stock)
                answers[#answers + 1] = bar
            end
            setText(reports, answers, "stockText" .. i, tostring(stock))
        end
        if status then setText(reports, answers, "status", status) end
    end
    return unpack(answers)
end

-- Called by the engine after a saved game was loaded: loading closes every window.
function gameLoaded()
    windowOpen = false
    openPlanet = -1
end
