-- economy.lua: one step of a planet's economy, run by "planetTick" every 500 ms of play for the
-- planets of the player's world. Drills move an element from its deposit into the stockpile,
-- undrilled deposits slowly regrow, owned planets build factories and defences, and health
-- recovers.

local use = ...
local market = use("market")

local economy = {}

local FACTORIES = {"engineFactory", "hullFactory", "weaponFactory", "gravToolFactory"}
local MAX_FACTORY = 10
local MAX_DEFENCE = 10
local MAX_HEALTH = 100
local HEALTH_PER_TICK = 0.5
local DEPLETE_EVERY = 20      -- ticks (half seconds) between losses of a drilled deposit
local REGROW_EVERY = 60       -- ticks between regrowths of an undrilled deposit
local REGROW_LIMIT = 10       -- a deposit regrows up to this amount
local FACTORY_EVERY = 40      -- ticks between factory expansions on an owned planet
local FACTORY_COST = 5        -- Iron taken from the stockpile for one factory level
local DEFENCE_EVERY = 60      -- ticks between defence upgrades on an owned planet

local number = market.number

function economy.tick(id)
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

    market.writePlanet(id, data, extra)
end

-- The highest drill level a window lets the player set.
economy.MAX_DRILL = 5

-- Sets a planet's drill level for element `i`; answers the level set.
function economy.setDrill(id, i, level)
    level = math.max(0, math.min(economy.MAX_DRILL, math.floor(number(level) + 0.5)))
    local data, extra = getPlanetData(id)
    data["drillLevel" .. i] = level
    market.writePlanet(id, data, extra)
    return level
end

return economy
