-- planetWindow.lua: the window of a planet the ship has landed on. Left: the planet's economy
-- (owner, stockpiles and deposits, drills, factories, defence, health). Right: its market and
-- shipyard, scrolled when the list is longer than the window, or, at the press of Jobs, the job
-- board. Every click is answered in the status line.

local use = ...
local widgets = use("widgets")
local market = use("market")
local economy = use("economy")
local jobs = use("jobs")
local guide = use("guide")

local planetWindow = {}

local C = widgets.COLOURS

-- Layout, in percent of the screen. The window lies below the radar and the map (which take
-- the top fifth of the screen in its corners), above the debug text and the charge bar; the
-- columns are sized for the widest labels of the shipped content (the font is wide: about one
-- percent of the screen per character).
local LEFT, RIGHT, BOTTOM, TOP = 4, 96, 19.5, 80.3
local ROW = 4                 -- height of a row
local COLUMNS_TOP = 71.5      -- top of the header rows of the economy and the market
local MARKET = 45             -- where the market column starts
local VISIBLE_ROWS = 9        -- market rows that fit above the tip line
local AMOUNTS = {1, 5, 10}    -- units per Buy or Sell click, chosen with the amount button
local JOB_ROWS = 2            -- rows of the job board per offer

local number, whole = market.number, market.whole

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
    local goods = market.tradedGoods(id)
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
        elements[#elements + 1] = widgets.text("listHeader" .. top, MARKET, y1, 91, y2, row.text, C.header)
    elseif row.kind == "goodsHeader" then
        elements[#elements + 1] = widgets.text("goodsHeader" .. top, MARKET, y1, 57, y2, "Goods", C.header)
        elements[#elements + 1] = widgets.text("pricesHeader" .. top, 57, y1, 69, y2, "buy / sell", C.header)
        elements[#elements + 1] = widgets.text("heldHeader" .. top, 84, y1, 91, y2, "hold", C.header)
    elseif row.kind == "good" then
        local good, k = row.good, row.index
        local stock = market.stockOf(data, good.name)
        local prices = market.buyPrice(good.price, stock) .. " / " .. market.sellPrice(good.price, stock)
        elements[#elements + 1] = widgets.text("good" .. k, MARKET, y1, 57, y2, good.name, C.text)
        elements[#elements + 1] = widgets.text("price" .. k, 57, y1, 69, y2, prices, C.title)
        elements[#elements + 1] = widgets.button("buy" .. k, 70, y1, 76, y2, "Buy")
        elements[#elements + 1] = widgets.button("sell" .. k, 77, y1, 83, y2, "Sell")
        elements[#elements + 1] = widgets.text("held" .. k, 84, y1, 91, y2,
                                               tostring(market.held(player, good.name)), C.text)
    else
        local item, k = row.item, row.index
        local info = getEquipmentInfo(item.name)
        local kind = info and info.kind or "?"
        if kind == "gravTool" then kind = "grav tool" end
        elements[#elements + 1] = widgets.text("item" .. k, MARKET, y1, 66, y2, item.name, C.text)
        elements[#elements + 1] = widgets.text("itemKind" .. k, 66, y1, 76, y2, kind, C.dim)
        elements[#elements + 1] = widgets.text("itemPrice" .. k, 76, y1, 83, y2, tostring(whole(item.price)), C.title)
        elements[#elements + 1] = widgets.button("fit" .. k, 84, y1, 91, y2, "Buy")
    end
end

local function economyElements(elements, id, data, extra)
    local owner = whole(data.factionOwner)
    elements[#elements + 1] = widgets.text("owner", 30, TOP - ROW - 0.3, 62, TOP - 0.3,
                                           "Owner: " .. factionName(owner), C.text)
    local people = "Population " .. bigNumber(extra.population)
    if extra.industry then people = people .. ", " .. extra.industry end
    elements[#elements + 1] = widgets.text("description", LEFT + 1, TOP - 2 * ROW - 0.3, 55, TOP - ROW - 0.3,
                                           extra.description or "", C.dim)
    elements[#elements + 1] = widgets.text("people", 55, TOP - 2 * ROW - 0.3, RIGHT - 1, TOP - ROW - 0.3, people,
                                           C.dim)

    local y1, y2 = COLUMNS_TOP - ROW + 0.4, COLUMNS_TOP
    elements[#elements + 1] = widgets.text("elementHeader", LEFT + 1, y1, 14, y2, "Element", C.header)
    elements[#elements + 1] = widgets.text("stockHeader", 14, y1, 27, y2, "Stock", C.header)
    elements[#elements + 1] = widgets.text("depositHeader", 27, y1, 35, y2, "Deposit", C.header)
    elements[#elements + 1] = widgets.text("drillHeader", 35.5, y1, 42.5, y2, "Drills", C.header)
    for i = 1, 5 do
        local top = COLUMNS_TOP - i * ROW
        y1, y2 = top - ROW + 0.6, top - 0.2
        local stock = whole(data["elementStockpile" .. i])
        elements[#elements + 1] = widgets.text("elementName" .. i, LEFT + 1, y1, 14, y2, market.ELEMENT_NAMES[i],
                                               C.text)
        elements[#elements + 1] = widgets.bar("stock" .. i, 14.6, y1 + 0.6, 21, y2 - 0.6, stock, scaleFor(stock))
        elements[#elements + 1] = widgets.text("stockText" .. i, 21, y1, 26.5, y2, tostring(stock), C.text)
        elements[#elements + 1] = widgets.text("deposit" .. i, 27, y1, 35, y2,
                                               tostring(whole(data["element" .. i])), C.text)
        elements[#elements + 1] = widgets.slider("drill" .. i, 35.5, y1 + 0.3, 42.5, y2 - 0.3,
                                                 whole(data["drillLevel" .. i]), 0, economy.MAX_DRILL, 1.4)
    end

    local factories = "Factories: engine " .. whole(data.engineFactory) .. ", hull " .. whole(data.hullFactory)
    local more = "weapon " .. whole(data.weaponFactory) .. ", grav tool " .. whole(data.gravToolFactory)
    local defence = "Starbase " .. whole(data.starbase) .. ", defence " .. whole(data.defenceLevel)
    local health = string.format("Health %.0f, quality %.1f / %.1f", number(data.health),
                                 number(data.qualityFactor1), number(data.qualityFactor2))
    local top = COLUMNS_TOP - 6 * ROW - 0.5
    for k, line in ipairs({factories, more, defence, health}) do
        y2 = top - (k - 1) * ROW
        elements[#elements + 1] = widgets.text("status" .. k, LEFT + 1, y2 - ROW + 0.4, 43, y2, line, C.text)
    end
end

-- The market list, scrolled by `window.offset` rows, under its header with the amount and the
-- button that turns the column into the job board.
local function marketElements(elements, window, id, data, player)
    local rows = marketRows(id)
    local hidden = math.max(0, #rows - VISIBLE_ROWS)
    window.offset = math.max(0, math.min(hidden, window.offset or 0))
    local amount = AMOUNTS[window.amountIndex]
    local listTop = COLUMNS_TOP - ROW
    elements[#elements + 1] = widgets.text("marketHeader", MARKET, COLUMNS_TOP - ROW + 0.4, 56, COLUMNS_TOP, "Market",
                                           C.header)
    elements[#elements + 1] = widgets.button("jobsButton", 62, COLUMNS_TOP - ROW + 0.4, 76, COLUMNS_TOP,
                                             "Jobs (" .. #jobs.offers(id) .. ")", C.title)
    elements[#elements + 1] = widgets.button("amount", 77, COLUMNS_TOP - ROW + 0.4, 91, COLUMNS_TOP,
                                             "Amount " .. amount)
    for r = 1, math.min(VISIBLE_ROWS, #rows) do
        rowElements(elements, rows[r + window.offset], listTop - (r - 1) * ROW, data, player)
    end
    if hidden > 0 then
        -- The top arrow raises the value; the list starts at the top, so the value counts down.
        elements[#elements + 1] = widgets.scroller("scroll", 92.2, listTop - VISIBLE_ROWS * ROW + 0.4, 94.7, listTop,
                                                   hidden - window.offset, 0, hidden, 2.2)
    end
end

-- What an offer asks, on two lines: the work, then where (a delivery takes its units of hold).
local function offerLines(offer)
    if offer.kind == "delivery" then
        local name, world, worldNumber = jobs.planetName(offer.destination)
        local _, _, here = jobs.planetName(offer.from)
        return "Deliver " .. offer.units .. " " .. offer.good .. " to " .. name,
            worldNumber == here and ("in " .. world) or ("in " .. world .. ", via a wormhole")
    end
    return "Destroy " .. offer.count .. " " .. (getFactionNames()[offer.faction + 1] or "hostile"),
        "ships, in " .. (getWorldNames()[offer.world + 1] or "this world")
end

-- The job board: the planet's offers, each with its pay and an Accept button.
local function jobBoardElements(elements, id, player)
    local carried = #jobs.accepted(player)
    elements[#elements + 1] = widgets.text("marketHeader", MARKET, COLUMNS_TOP - ROW + 0.4, 76, COLUMNS_TOP,
                                           "Jobs: " .. carried .. " of " .. jobs.MAX_ACCEPTED .. " taken", C.header)
    elements[#elements + 1] = widgets.button("jobsButton", 77, COLUMNS_TOP - ROW + 0.4, 91, COLUMNS_TOP,
                                             "Market", C.title)
    local offers = jobs.offers(id)
    local listTop = COLUMNS_TOP - ROW
    if #offers == 0 then
        elements[#elements + 1] = widgets.text("noJobs", MARKET, listTop - ROW + 0.4, 91, listTop,
                                               "No work is offered here now: come back later", C.dim)
    end
    for k = 1, math.min(#offers, math.floor(VISIBLE_ROWS / JOB_ROWS)) do
        local top = listTop - (k - 1) * JOB_ROWS * ROW
        local first, second = offerLines(offers[k])
        elements[#elements + 1] = widgets.text("offer" .. k, MARKET, top - ROW + 0.4, 83, top, first, C.text)
        elements[#elements + 1] = widgets.text("offerPay" .. k, 84, top - ROW + 0.4, 91, top,
                                               offers[k].pay .. " cr", C.title)
        elements[#elements + 1] = widgets.text("offerWhere" .. k, MARKET, top - 2 * ROW + 0.4, 83, top - ROW,
                                               second, C.dim)
        elements[#elements + 1] = widgets.button("accept" .. k, 84, top - 2 * ROW + 0.4, 91, top - ROW, "Accept")
    end
end

-- Every element of the window in drawing order, for its current state.
local function build(window)
    local id = window.planet
    local data, extra = getPlanetData(id)
    local player = getPlayerData()
    local ship = getPlayerShip()
    local elements = {widgets.box("frame", LEFT, BOTTOM, RIGHT, TOP, C.frame, C.panel)}

    elements[#elements + 1] = widgets.text("title", LEFT + 1, TOP - ROW - 0.3, 30, TOP - 0.3, getDecodedPlanetName(id),
                                           C.title)
    local wallet = "Credits " .. market.credits(player) .. "    Hold " .. market.holdUsed(player) .. " / " ..
        whole(ship.cargo)
    elements[#elements + 1] = widgets.text("wallet", 62, TOP - ROW - 0.3, RIGHT - 1, TOP - 0.3, wallet, C.good)
    economyElements(elements, id, data, extra)

    if window.view == "jobs" then
        jobBoardElements(elements, id, player)
    else
        marketElements(elements, window, id, data, player)
    end

    local tip = window.tip
    local tipLine = "No better market for these goods is known."
    if tip then
        tipLine = "Tip: buy " .. tip.good .. " here for " .. tip.buy .. "; " .. tip.planet .. " (" .. tip.world ..
            ") pays " .. tip.sell
    end
    elements[#elements + 1] = widgets.text("tip", LEFT + 1, 27.5, 80, 31, tipLine, C.header)
    if tip and setNavTarget then
        elements[#elements + 1] = widgets.button("course", 81, 27.5, RIGHT - 2, 31, "Set course")
    end
    elements[#elements + 1] = widgets.text("statusLine", LEFT + 1, 24, RIGHT - 1, 27.5, window.status,
                                           window.statusOk and C.good or C.bad)
    elements[#elements + 1] = widgets.text("launchHint", LEFT + 1, BOTTOM + 0.5, 46, 23.5,
                                           "To launch: close, hold S, press W", C.dim)
    local repairCost = market.repairCost(ship)
    local repairLabel = repairCost > 0 and ("Repair " .. repairCost) or "Hull intact"
    elements[#elements + 1] = widgets.button("repair", 55, BOTTOM + 0.5, 72, 23.5, repairLabel)
    elements[#elements + 1] = widgets.button("close", 76, BOTTOM + 0.5, RIGHT - 2, 23.5, "Close")
    return elements
end

-- A new window for planet `id`: the answer to "addUI".
function planetWindow.open(window, id)
    window.planet = id
    window.offset = 0
    window.amountIndex = 1
    window.status = "Welcome to " .. getDecodedPlanetName(id) .. "."
    window.statusOk = true
    window.view = "market"
    window.tip = market.bestTrade(id)
    -- A delivery for this planet is paid before anything else is shown.
    for _, message in ipairs(jobs.landedOn(id)) do
        window.status = message
        guide.message(message)
        guide.done("deliver")
    end
    local answers = widgets.open(window, build(window))
    guide.windowOpened()
    return answers
end

-- What each element of the window does when the user changes it, by name. A handler sets the
-- window's status line, answers true when the window should close and, as a second answer,
-- whether goods changed hands (the tip is then worked out again).
local handlers = {}

function handlers.close()
    return true
end

function handlers.jobsButton(window)
    window.view = window.view == "jobs" and "market" or "jobs"
    local offered = #jobs.offers(window.planet)
    window.status = window.view == "jobs" and (offered .. " jobs offered here; Accept takes one") or "The market"
    window.statusOk = true
end

function handlers.course(window)
    local tip = window.tip
    if tip and setNavTarget and setNavTarget(tip.id) then
        window.status, window.statusOk = "Course set to " .. tip.planet .. ": follow the arrow in flight", true
    else
        window.status, window.statusOk = "No course can be set", false
    end
end

function handlers.amount(window)
    window.amountIndex = window.amountIndex % #AMOUNTS + 1
    window.status, window.statusOk = "Buy and Sell now trade " .. AMOUNTS[window.amountIndex] .. " at a time", true
end

function handlers.scroll(window, report)
    local rows = #marketRows(window.planet)
    local hidden = math.max(0, rows - VISIBLE_ROWS)
    window.offset = math.max(0, math.min(hidden, hidden - whole(report.curVal)))
    window.status = "Market rows " .. window.offset + 1 .. " to " .. window.offset + VISIBLE_ROWS .. " of " .. rows
    window.statusOk = true
end

function handlers.repair(window)
    window.status, window.statusOk = market.repair()
end

-- Elements repeated once a row ("buy3", "accept1"), by the name's prefix; the row's number is
-- passed on.
local rowHandlers = {}

function rowHandlers.accept(window, k)
    window.status, window.statusOk = jobs.accept(window.planet, k)
    if window.statusOk then guide.note("job") end
end

function rowHandlers.drill(window, k, report)
    local level = economy.setDrill(window.planet, k, report.curVal)
    window.status, window.statusOk = market.ELEMENT_NAMES[k] .. " drills set to " .. level, true
end

function rowHandlers.buy(window, k)
    local id = window.planet
    window.status, window.statusOk = market.buy(id, k, AMOUNTS[window.amountIndex])
    local good = market.tradedGoods(id)[k]
    if window.statusOk and good then guide.note("bought", id, good.name) end
    return false, window.statusOk
end

function rowHandlers.sell(window, k)
    window.status, window.statusOk = market.sell(window.planet, k, AMOUNTS[window.amountIndex])
    if window.statusOk then guide.note("sell") end
    return false, window.statusOk
end

function rowHandlers.fit(window, k)
    window.status, window.statusOk = market.buyEquipment(window.planet, k)
    if window.statusOk then guide.note("equipment") end
end

-- Acts on one element the user changed; answers true when the window should close.
local function act(window, report)
    local name = report.name
    local handler, k = handlers[name], nil
    if not handler then
        local prefix, number = string.match(name, "^(%a+)(%d+)$")
        handler, k = rowHandlers[prefix or ""], tonumber(number)
    end
    if not handler then return false end
    local close, traded
    if k then close, traded = handler(window, k, report) else close, traded = handler(window, report) end
    if traded then window.tip = market.bestTrade(window.planet) end
    return close == true
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
