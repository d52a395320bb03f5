-- market.lua: the trading game. Goods are made from a planet's elements and priced by how much
-- of that element the planet has stockpiled (scarce is dear, plentiful is cheap); the player's
-- credits and cargo live in the player's data, which every save keeps.

local market = {}

market.ELEMENT_NAMES = {"Iron", "Copper", "Ice", "Gas", "Crystal"}

-- The element each good is made from; a good not listed here is made from Iron.
market.GOOD_ELEMENTS = {
    Ore = 1, Alloys = 2, Luxuries = 2, Water = 3, Food = 3, Fuel = 4, Crystals = 5, Medicine = 5,
}
local DEFAULT_ELEMENT = 1

-- Credits of a pilot whose data holds none: a game saved before there were credits. A new game
-- takes its credits from PlayerData.xml.
market.STARTING_CREDITS = 1000

-- A planet asks the listed price when it holds REFERENCE_STOCK units of the good's element,
-- twice that when it holds none, and down to a quarter of it when it is swamped.
local REFERENCE_STOCK = 100
local MOST_EXPENSIVE = 2.0
local CHEAPEST = 0.25
-- A planet buys for this share of what it sells for, so buying and selling in one place loses.
local SELL_SHARE = 0.85
-- The chime a completed sale rings (a file of sounds/ without ".wav").
market.SALE_SOUND = "sale"
-- Credits per hit point of hull repair.
market.REPAIR_PRICE = 0.5

-- A number from the engine's text (planet and player data are text), 0 when there is none.
local function number(value)
    return tonumber(value) or 0
end

-- The same, rounded to a whole number.
local function whole(value)
    return math.floor(number(value) + 0.5)
end

market.number, market.whole = number, whole

-- Numbers go into the player's data as whole-number text, which keeps every digit.
local function text(value)
    return string.format("%d", whole(value))
end

-- A list of the tables among the values passed.
function market.listOf(...)
    local list = {}
    for i = 1, select("#", ...) do
        local entry = select(i, ...)
        if type(entry) == "table" then list[#list + 1] = entry end
    end
    return list
end

-- The goods each planet trades, by planet id, asked of the engine once per planet: the lists
-- come from the content and change only when a game is loaded (market.forgetGoods).
local goodsByPlanet = {}

-- The {name, price} list of the goods planet `id` trades, in the content's order.
function market.tradedGoods(id)
    local goods = goodsByPlanet[id]
    if goods == nil then
        goods = market.listOf(getPlanetTradeGoods(id))
        goodsByPlanet[id] = goods
    end
    return goods
end

-- A loaded game brings its own universe: every list is asked for again.
function market.forgetGoods()
    goodsByPlanet = {}
end

function market.elementOf(goodName)
    return market.GOOD_ELEMENTS[goodName] or DEFAULT_ELEMENT
end

function market.stockOf(data, goodName)
    return number(data["elementStockpile" .. market.elementOf(goodName)])
end

local function priceFactor(stock)
    local factor = 2 * REFERENCE_STOCK / (math.max(0, stock) + REFERENCE_STOCK)
    return math.max(CHEAPEST, math.min(MOST_EXPENSIVE, factor))
end

-- What a planet holding `stock` of the element asks for one unit, and what it pays for one.
function market.buyPrice(listed, stock)
    return math.max(1, whole(number(listed) * priceFactor(stock)))
end

function market.sellPrice(listed, stock)
    return math.max(1, whole(number(listed) * priceFactor(stock) * SELL_SHARE))
end

-- Writes a planet record back, keeping the planet's other extra data. setPlanetData stores every
-- key of the table as text, so the table carries the extra keys along; the position and radius
-- are the engine's and are left out.
function market.writePlanet(id, data, extra)
    for key, value in pairs(extra) do
        if data[key] == nil then data[key] = value end
    end
    data.x, data.y, data.radius = nil, nil, nil
    setPlanetData(id, data)
end

---------------------------------------------------------------------------------------------------
-- The player's wallet and hold
---------------------------------------------------------------------------------------------------

local function cargoKey(good)
    return "cargo_" .. string.gsub(good, "[^%w]", "_")
end

-- Credits paid for the units of a good now in the hold, for the profit of a sale.
local function paidKey(good)
    return "paid_" .. string.gsub(good, "[^%w]", "_")
end

function market.credits(player)
    if player.credits == nil then return market.STARTING_CREDITS end
    return whole(player.credits)
end

function market.held(player, good)
    return whole(player[cargoKey(good)])
end

-- Hold space taken by other things than trade goods (the jobs' cargo sets this); none by default.
function market.reservedHold(player)
    return 0
end

-- Units in the hold, all goods together, and whatever else is carried.
function market.holdUsed(player)
    local used = market.reservedHold(player)
    for key, value in pairs(player) do
        if string.sub(key, 1, 6) == "cargo_" then used = used + whole(value) end
    end
    return used
end

-- The goods in the hold as {name, count} pairs, by name. Names come from the keys, with the
-- underscores that stood in for other characters.
function market.cargoList(player)
    local list = {}
    for key, value in pairs(player) do
        if string.sub(key, 1, 6) == "cargo_" and whole(value) > 0 then
            list[#list + 1] = {name = string.gsub(string.sub(key, 7), "_", " "), count = whole(value)}
        end
    end
    table.sort(list, function(a, b) return a.name < b.name end)
    return list
end

local function setCredits(player, credits)
    player.credits = text(credits)
end

local function setHeld(player, good, count, paid)
    if count > 0 then
        player[cargoKey(good)] = text(count)
        player[paidKey(good)] = text(paid)
    else
        player[cargoKey(good)] = nil
        player[paidKey(good)] = nil
    end
end

local function commit(player)
    local ok, reason = setPlayerData(player)
    return ok, reason
end

---------------------------------------------------------------------------------------------------
-- Trades
---------------------------------------------------------------------------------------------------

-- Buys up to `amount` units of trade good `index` of planet `id`, one at a time at the price of
-- the moment. Answers the line for the status text and whether anything changed hands.
function market.buy(id, index, amount)
    local good = market.tradedGoods(id)[index]
    if not good then return "That good is no longer sold here", false end
    local data, extra = getPlanetData(id)
    local player = getPlayerData()
    local capacity = whole(getPlayerShip().cargo)
    local stockKey = "elementStockpile" .. market.elementOf(good.name)
    local credits = market.credits(player)
    local held = market.held(player, good.name)
    local paid = whole(player[paidKey(good.name)])
    local used = market.holdUsed(player)

    local bought, spent, stop = 0, 0, nil
    while bought < amount do
        local stock = number(data[stockKey])
        local price = market.buyPrice(good.price, stock)
        if stock < 1 then
            stop = good.name .. " is out of stock here"
        elseif used + bought >= capacity then
            stop = "Hold full (" .. capacity .. " units)"
        elseif credits - spent < price then
            stop = "Not enough credits: " .. good.name .. " costs " .. price
        end
        if stop then break end
        data[stockKey] = stock - 1
        bought, spent = bought + 1, spent + price
    end
    if bought == 0 then return stop, false end

    setCredits(player, credits - spent)
    setHeld(player, good.name, held + bought, paid + spent)
    local ok, reason = commit(player)
    if not ok then return "Trade refused: " .. tostring(reason), false end
    market.writePlanet(id, data, extra)
    local line = "Bought " .. bought .. " " .. good.name .. " for " .. spent .. " cr"
    if stop then line = line .. " - " .. stop end
    return line, true
end

-- Sells up to `amount` units of trade good `index` of planet `id` from the hold.
function market.sell(id, index, amount)
    local good = market.tradedGoods(id)[index]
    if not good then return "That good is no longer bought here", false end
    local player = getPlayerData()
    local held = market.held(player, good.name)
    if held < 1 then return "No " .. good.name .. " in the hold", false end
    local data, extra = getPlanetData(id)
    local stockKey = "elementStockpile" .. market.elementOf(good.name)
    local paid = whole(player[paidKey(good.name)])

    local sold, earned = 0, 0
    while sold < amount and sold < held do
        local stock = number(data[stockKey])
        earned = earned + market.sellPrice(good.price, stock)
        data[stockKey] = stock + 1
        sold = sold + 1
    end
    local cost = whole(paid * sold / held)
    setCredits(player, market.credits(player) + earned)
    setHeld(player, good.name, held - sold, paid - cost)
    local ok, reason = commit(player)
    if not ok then return "Trade refused: " .. tostring(reason), false end
    market.writePlanet(id, data, extra)
    local profit = earned - cost
    local sign = profit >= 0 and "+" or ""
    -- An engine without sound effects has no playSound.
    if playSound then playSound(market.SALE_SOUND) end
    return "Sold " .. sold .. " " .. good.name .. " for " .. earned .. " cr (profit " .. sign .. profit .. ")", true
end

---------------------------------------------------------------------------------------------------
-- Equipment
---------------------------------------------------------------------------------------------------

local function fitted(ship, info)
    if info.kind == "engine" then return ship.engine == info.name end
    if info.kind == "hull" then return ship.hull == info.name end
    if info.kind == "gravTool" then return ship.gravTool == info.name end
    for _, weapon in ipairs(ship.weapons or {}) do
        if weapon == info.name then return true end
    end
    return false
end

local function figure(value)
    return string.format("%.4g", number(value))
end

-- What an item does, in a few words.
function market.describe(info)
    if not info then return "" end
    if info.kind == "engine" then return "engine, thrust " .. figure(info.thrust * 10000) end
    if info.kind == "hull" then return "hull, " .. whole(info.hitpoints) .. " hp, hold " .. whole(info.cargo) end
    if info.kind == "gravTool" then return "gravity tool, charge " .. whole(info.charge) end
    return "weapon, damage " .. figure(info.damage)
end

-- What changed on the ship, for the status line.
local function changeLine(info, before, after, slot)
    if info.kind == "engine" then
        return "Fitted " .. info.name .. ": thrust " .. figure(before.thrust * 10000) .. " -> " ..
            figure(info.thrust * 10000)
    elseif info.kind == "hull" then
        return "Fitted " .. info.name .. ": " .. whole(after.hitpoints) .. " hp, hold " .. whole(after.cargo)
    elseif info.kind == "gravTool" then
        return "Fitted " .. info.name .. ": charge " .. whole(after.maxCharge)
    end
    return "Fitted " .. info.name .. " in weapon slot " .. tostring(slot) .. " (key " .. tostring(slot) .. ")"
end

-- Buys equipment entry `index` of planet `id` and fits it at once.
function market.buyEquipment(id, index)
    local item = market.listOf(getPlanetEquipment(id))[index]
    if not item then return "That item is no longer sold here", false end
    local info = getEquipmentInfo(item.name)
    if not info then return item.name .. " is not known to any shipyard", false end
    local ship = getPlayerShip()
    if fitted(ship, info) then return info.name .. " is already fitted", false end
    local player = getPlayerData()
    local price = whole(item.price)
    local credits = market.credits(player)
    if credits < price then return "Not enough credits: " .. info.name .. " costs " .. price, false end
    if info.kind == "hull" and market.holdUsed(player) > whole(info.cargo) then
        return "Sell cargo first: the " .. info.name .. " holds " .. whole(info.cargo), false
    end

    setCredits(player, credits - price)
    local ok, reason = commit(player)
    if not ok then return "Purchase refused: " .. tostring(reason), false end
    local kind, _, slot = installEquipment(item.name)
    if not kind then
        setCredits(player, credits)
        commit(player)
        return "Could not fit " .. item.name, false
    end
    return changeLine(info, ship, getPlayerShip(), slot), true
end

-- Repairs the hull to its full hit points for REPAIR_PRICE credits per point. A ship never dies
-- and its hit points can fall below zero; the repair counts from zero, so it never costs more
-- than a new hull's worth of points.
function market.repairCost(ship)
    local missing = number(ship.maxHitpoints) - math.max(0, number(ship.hitpoints))
    return math.max(0, math.ceil(missing * market.REPAIR_PRICE))
end

function market.repair()
    local ship = getPlayerShip()
    local cost = market.repairCost(ship)
    if cost <= 0 then return "The hull needs no repair", false end
    local player = getPlayerData()
    local credits = market.credits(player)
    if credits < cost then return "Not enough credits: the repair costs " .. cost, false end
    setCredits(player, credits - cost)
    local ok, reason = commit(player)
    if not ok then return "Repair refused: " .. tostring(reason), false end
    -- Fitting the same hull again brings it back to its full hit points.
    if not installEquipment(ship.hull) then
        setCredits(player, credits)
        commit(player)
        return "This hull cannot be repaired here", false
    end
    return "Hull repaired for " .. cost .. " cr", true
end

---------------------------------------------------------------------------------------------------
-- Trade tips
---------------------------------------------------------------------------------------------------

-- The goods of a list by name (the first of a name, should a list name one twice).
local function byName(goods)
    local named = {}
    for _, good in ipairs(goods) do named[good.name] = named[good.name] or good end
    return named
end

-- The most profitable of a planet's goods in stock (`offered` by name, `stocks` its economy
-- record) to carry to `planet`; nil when they trade nothing alike.
local function bestTradeTo(offered, stocks, planet)
    local best, theirStocks = nil, nil
    for _, good in ipairs(market.tradedGoods(planet.id)) do
        local mine = offered[good.name]
        if mine and market.stockOf(stocks, mine.name) >= 1 then
            theirStocks = theirStocks or getPlanetData(planet.id)
            local buy = market.buyPrice(mine.price, market.stockOf(stocks, mine.name))
            local sell = market.sellPrice(good.price, market.stockOf(theirStocks, good.name))
            if best == nil or sell - buy > best.sell - best.buy then
                best = {good = mine.name, buy = buy, sell = sell, planet = planet.name, world = planet.worldName,
                        id = planet.id}
            end
        end
    end
    return best
end

-- The more profitable of two trades; the first of equal ones.
local function better(a, b)
    if a == nil or (b ~= nil and b.sell - b.buy > a.sell - a.buy) then return b end
    return a
end

-- The best trade from planet `id`: a good sold here that another planet buys for more, as
-- {good, buy, sell, planet, world}, or nil. A planet of the player's own world is preferred:
-- it is the one a new pilot can reach.
function market.bestTrade(id)
    local goods = market.tradedGoods(id)
    if #goods == 0 then return nil end
    local offered, stocks, world = byName(goods), getPlanetData(id), getPlayerWorld()
    local nearby, anywhere = nil, nil
    for _, planet in ipairs(getPlanetList()) do
        if planet.id ~= id then
            local trade = bestTradeTo(offered, stocks, planet)
            if planet.world == world then nearby = better(nearby, trade) else anywhere = better(anywhere, trade) end
        end
    end
    if nearby and nearby.sell > nearby.buy then return nearby end
    if anywhere and anywhere.sell > anywhere.buy then return anywhere end
    return nil
end

-- The planet of the player's world that pays most for `goodName` more than planet `id` asks,
-- as {id, name, world, sell}; nil when none does.
function market.bestBuyerOf(id, goodName)
    local asked = nil
    for _, good in ipairs(market.tradedGoods(id)) do
        if good.name == goodName then asked = market.buyPrice(good.price, market.stockOf(getPlanetData(id), goodName)) end
    end
    local world = getPlayerWorld()
    local best = nil
    for _, planet in ipairs(getPlanetList()) do
        if planet.id ~= id and planet.world == world then
            for _, good in ipairs(market.tradedGoods(planet.id)) do
                if good.name == goodName then
                    local sell = market.sellPrice(good.price, market.stockOf(getPlanetData(planet.id), goodName))
                    if (asked == nil or sell > asked) and (best == nil or sell > best.sell) then
                        best = {id = planet.id, name = planet.name, world = planet.worldName, sell = sell}
                    end
                end
            end
        end
    end
    return best
end

return market
