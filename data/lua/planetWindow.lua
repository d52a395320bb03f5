-- planetWindow.lua: the window of a planet the ship has landed on. Left: the planet's economy
-- (owner, stockpiles and deposits, drills, factories, defence, health). Right: its market and
-- shipyard, scrolled when the list is longer than the window. Every click is answered in the
-- status line.

local use = ...
local widgets = use("widgets")
local market = use("market")
local economy = use("economy")

local planetWindow = {}

local C = widgets.COLOURS

-- Layout, in percent of the screen. The window keeps clear of the radar and the map in the top
-- corners, of the mouse-over label above it and of the debug text in the lower left.
local LEFT, RIGHT, BOTTOM, TOP = 16, 84, 19.5, 90
local MIDDLE = 50
local ROW = 4                 -- height of a row
local LIST_TOP = 72           -- top of the first market row
local VISIBLE_ROWS = 9        -- market rows that fit above the tip line
local AMOUNTS = {1, 5, 10}    -- units per Buy or Sell click, chosen with the amount button

local function number(value)
    return tonumber(value) or 0
end

local function whole(value)
    return math.floor(number(value) + 0.5)
end

-- Full scale of a stockpile bar: 100, doubled until the amount fits.
local function scaleFor(amount)
    local scale = 100
    while amount > scale do scale = scale * 2 end
    return scale
end

local function bigNumber(value)
    value = number(value)
    if value >= 1000000 then return string.format("%.2f M", value / 1000000) end
    if value >= 10000 then return string.format("%.1f k", value / 1000) end
    return tostring(whole(value))
end

local function factionName(owner)
    if owner < 0 then return "Unclaimed" end
    return getFactionNames()[owner + 1] or ("faction " .. owner)
end

-- The rows of the market list: headers, goods and equipment, in the order shown.
local function marketRows(id)
    local rows = {}
    local goods = market.listOf(getPlanetTradeGoods(id))
    local equipment = market.listOf(getPlanetEquipment(id))
    if #goods > 0 then
        rows[#rows + 1] = {kind = "goodsHeader"}
        for index, good in ipairs(goods) do rows[#rows + 1] = {kind = "good", index = index, good = good} end
    end
    if #equipment > 0 then
        rows[#rows + 1] = {kind = "header", text = "Shipyard"}
        for index, item in ipairs(equipment) do rows[#rows + 1] = {kind = "item", index = index, item = item} end
    end
    if #rows == 0 then rows[1] = {kind = "header", text = "Nothing is traded here"} end
    return rows
end

-- Elements of one market row whose top edge is at `top`.
local function rowElements(elements, row, top, data, player)
    local y1, y2 = top - ROW + 0.4, top
    if row.kind == "header" then
        elements[#elements + 1] = widgets.text("listHeader" .. top, MIDDLE, y1, 80.5, y2, row.text, C.header)
    elseif row.kind == "goodsHeader" then
        elements[#elements + 1] = widgets.text("goodsHeader" .. top, MIDDLE, y1, 58.5, y2, "Goods", C.header)
        elements[#elements + 1] = widgets.text("pricesHeader" .. top, 59, y1, 67.5, y2, "buy / sell", C.header)
        elements[#elements + 1] = widgets.text("heldHeader" .. top, 76.2, y1, 80.5, y2, "hold", C.header)
    elseif row.kind == "good" then
        local good, k = row.good, row.index
        local stock = market.stockOf(data, good.name)
        local prices = market.buyPrice(good.price, stock) .. " / " .. market.sellPrice(good.price, stock)
        elements[#elements + 1] = widgets.text("good" .. k, MIDDLE, y1, 58.5, y2, good.name, C.text)
        elements[#elements + 1] = widgets.text("price" .. k, 59, y1, 67.5, y2, prices, C.title)
        elements[#elements + 1] = widgets.button("buy" .. k, 67.8, y1, 71.8, y2, "Buy")
        elements[#elements + 1] = widgets.button("sell" .. k, 72, y1, 76, y2, "Sell")
        elements[#elements + 1] = widgets.text("held" .. k, 76.2, y1, 80.5, y2,
                                               tostring(market.held(player, good.name)), C.text)
    else
        local item, k = row.item, row.index
        elements[#elements + 1] = widgets.text("item" .. k, MIDDLE, y1, 67, y2, item.name, C.text)
        elements[#elements + 1] = widgets.text("itemPrice" .. k, 67, y1, 74, y2, tostring(whole(item.price)), C.title)
        elements[#elements + 1] = widgets.button("fit" .. k, 74.5, y1, 80.5, y2, "Buy")
    end
end

local function economyElements(elements, id, data, extra)
    local owner = whole(data.factionOwner)
    elements[#elements + 1] = widgets.text("owner", LEFT + 1, 81.5, MIDDLE, 85.5, "Owner: " .. factionName(owner),
                                           C.text)
    local people = "Population " .. bigNumber(extra.population)
    if extra.industry then people = people .. ", " .. extra.industry end
    elements[#elements + 1] = widgets.text("people", MIDDLE, 81.5, RIGHT - 1, 85.5, people, C.dim)
    elements[#elements + 1] = widgets.text("description", LEFT + 1, 77.5, RIGHT - 1, 81.5, extra.description or "",
                                           C.dim)

    elements[#elements + 1] = widgets.text("elementHeader", LEFT + 1, 72.4, 23.5, LIST_TOP, "Element", C.header)
    elements[#elements + 1] = widgets.text("stockHeader", 24.5, 72.4, 33.5, LIST_TOP, "Stock", C.header)
    elements[#elements + 1] = widgets.text("depositHeader", 33.5, 72.4, 40.5, LIST_TOP, "Deposit", C.header)
    elements[#elements + 1] = widgets.text("drillHeader", 41, 72.4, MIDDLE - 1, LIST_TOP, "Drills", C.header)
    for i = 1, 5 do
        local top = LIST_TOP - i * ROW
        local y1, y2 = top - ROW + 0.6, top - 0.2
        local stock = whole(data["elementStockpile" .. i])
        elements[#elements + 1] = widgets.text("elementName" .. i, LEFT + 1, y1, 23.5, y2, market.ELEMENT_NAMES[i],
                                               C.text)
        elements[#elements + 1] = widgets.bar("stock" .. i, 24.3, y1 + 0.6, 29, y2 - 0.6, stock, scaleFor(stock))
        elements[#elements + 1] = widgets.text("stockText" .. i, 29.2, y1, 33.5, y2, tostring(stock), C.text)
        elements[#elements + 1] = widgets.text("deposit" .. i, 33.5, y1, 40.5, y2,
                                               tostring(whole(data["element" .. i])), C.text)
        elements[#elements + 1] = widgets.slider("drill" .. i, 41, y1 + 0.3, MIDDLE - 1, y2 - 0.3,
                                                 whole(data["drillLevel" .. i]), 0, economy.MAX_DRILL, 1.4)
    end

    local factories = "Factories: engine " .. whole(data.engineFactory) .. ", hull " .. whole(data.hullFactory)
    local more = "weapon " .. whole(data.weaponFactory) .. ", grav tool " .. whole(data.gravToolFactory)
    local defence = "Starbase " .. whole(data.starbase) .. ", defence " .. whole(data.defenceLevel)
    local health = "Health " .. string.format("%.0f", number(data.health))
    local top = LIST_TOP - 6 * ROW - 1
    for k, line in ipairs({factories, more, defence, health}) do
        local y2 = top - (k - 1) * ROW
        elements[#elements + 1] = widgets.text("status" .. k, LEFT + 1, y2 - ROW + 0.4, MIDDLE - 0.5, y2, line, C.text)
    end
end

-- Every element of the window in drawing order, for its current state.
local function build(window)
    local id = window.planet
    local data, extra = getPlanetData(id)
    local player = getPlayerData()
    local ship = getPlayerShip()
    local elements = {widgets.box("frame", LEFT, BOTTOM, RIGHT, TOP, C.frame, C.panel)}

    elements[#elements + 1] = widgets.text("title", LEFT + 1, 85.5, MIDDLE, 89.5, getDecodedPlanetName(id), C.title)
    local wallet = "Credits " .. market.credits(player) .. "    Hold " .. market.holdUsed(player) .. " / " ..
        whole(ship.cargo)
    elements[#elements + 1] = widgets.text("wallet", MIDDLE, 85.5, RIGHT - 1, 89.5, wallet, C.good)
    economyElements(elements, id, data, extra)

    -- The market list, scrolled by `window.offset` rows.
    local rows = marketRows(id)
    local hidden = math.max(0, #rows - VISIBLE_ROWS)
    window.offset = math.max(0, math.min(hidden, window.offset or 0))
    local amount = AMOUNTS[window.amountIndex]
    elements[#elements + 1] = widgets.text("marketHeader", MIDDLE, 72.4, 66, LIST_TOP + 4, "Market", C.header)
    elements[#elements + 1] = widgets.button("amount", 67.8, 72.6, 80.5, LIST_TOP + 3.6, "Amount " .. amount)
    for r = 1, math.min(VISIBLE_ROWS, #rows) do
        rowElements(elements, rows[r + window.offset], LIST_TOP - (r - 1) * ROW, data, player)
    end
    if hidden > 0 then
        -- The top arrow raises the value; the list starts at the top, so the value counts down.
        elements[#elements + 1] = widgets.scroller("scroll", 81, LIST_TOP - VISIBLE_ROWS * ROW + 0.4, 83,
                                                   LIST_TOP, hidden - window.offset, 0, hidden, 2)
    end

    local tip = window.tip
    local tipLine = "No better market for these goods is known."
    if tip then
        tipLine = "Tip: " .. tip.good .. " costs " .. tip.buy .. " here; " .. tip.planet .. " (" .. tip.world ..
            ") pays " .. tip.sell
    end
    elements[#elements + 1] = widgets.text("tip", LEFT + 1, 27.5, RIGHT - 1, 31, tipLine, C.header)
    elements[#elements + 1] = widgets.text("statusLine", LEFT + 1, 23.8, RIGHT - 1, 27.3, window.status,
                                           window.statusOk and C.good or C.bad)
    elements[#elements + 1] = widgets.text("launchHint", LEFT + 1, BOTTOM + 0.5, 44, 23.5,
                                           "To launch: close, hold S, press W", C.dim)
    local repairCost = market.repairCost(ship)
    local repairLabel = repairCost > 0 and ("Repair " .. repairCost) or "Hull intact"
    elements[#elements + 1] = widgets.button("repair", 52, BOTTOM + 0.5, 66, 23.5, repairLabel)
    elements[#elements + 1] = widgets.button("close", 69, BOTTOM + 0.5, RIGHT - 1, 23.5, "Close")
    return elements
end

-- A new window for planet `id`: the answer to "addUI".
function planetWindow.open(window, id)
    window.planet = id
    window.offset = 0
    window.amountIndex = 1
    window.status = "Welcome to " .. getDecodedPlanetName(id) .. "."
    window.statusOk = true
    window.tip = market.bestTrade(id)
    return widgets.open(window, build(window))
end

local function indexIn(name, prefix)
    return tonumber(string.match(name, "^" .. prefix .. "(%d+)$"))
end

-- Acts on one element the user changed; answers true when the window should close.
local function act(window, report)
    local name, id = report.name, window.planet
    local amount = AMOUNTS[window.amountIndex]
    local drill = indexIn(name, "drill")
    local buy, sell, fit = indexIn(name, "buy"), indexIn(name, "sell"), indexIn(name, "fit")
    local traded = false
    if name == "close" then
        return true
    elseif name == "amount" then
        window.amountIndex = window.amountIndex % #AMOUNTS + 1
        window.status, window.statusOk = "Buy and Sell now trade " .. AMOUNTS[window.amountIndex] .. " at a time", true
    elseif name == "scroll" then
        local hidden = math.max(0, #marketRows(id) - VISIBLE_ROWS)
        window.offset = hidden - whole(report.curVal)
    elseif drill then
        local level = economy.setDrill(id, drill, report.curVal)
        window.status, window.statusOk = market.ELEMENT_NAMES[drill] .. " drills set to " .. level, true
    elseif buy then
        window.status, window.statusOk = market.buy(id, buy, amount)
        traded = window.statusOk
    elseif sell then
        window.status, window.statusOk = market.sell(id, sell, amount)
        traded = window.statusOk
    elseif fit then
        window.status, window.statusOk = market.buyEquipment(id, fit)
    elseif name == "repair" then
        window.status, window.statusOk = market.repair()
    end
    if traded then window.tip = market.bestTrade(id) end
    return false
end

-- The answer to "updateUI": acts on every changed element, then brings the window up to date.
function planetWindow.update(window, reports, changed)
    for _, report in ipairs(changed) do
        if act(window, report) then return widgets.close(window), true end
        -- The status line also goes to the log, where a modder (or a test) can follow the trades.
        debugDisplay(window.status)
    end
    return widgets.update(window, build(window), reports), false
end

return planetWindow
