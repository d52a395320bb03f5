-- towing.lua: a ship whose hull is gone is towed. The tow takes it to the planet it last landed
-- on by itself (or the nearest inhabited planet of its world), patches the hull to a share of
-- its full hit points, and charges a fee. The fee never takes the pilot's last RESERVE_CREDITS:
-- what the credits above them cannot pay, the cargo pays (the tow crew keeps the hold). A second
-- tow before the ship has flown and landed again is free, so a ship caught again at once never
-- pays twice.

local use = ...
local market = use("market")
local pilotData = use("pilotData")

local towing = {}

-- The numbers a designer tunes.
local TOW_FEE = 250          -- credits
local RESERVE_CREDITS = 100  -- never taken: enough for a first cargo again
local PATCH_SHARE = 0.4      -- of the hull's full hit points

local function planetOfId(id)
    for _, planet in ipairs(getPlanetList()) do
        if planet.id == id then return planet end
    end
    return nil
end

-- The inhabited planet of the ship's world nearest to it (or the first, when the engine does not
-- say where the ship is); nil when the world has none.
local function nearestInhabited(ship)
    local best, bestDistance = nil, nil
    for _, planet in ipairs(getPlanetList()) do
        if planet.world == ship.world then
            local data, extra = getPlanetData(planet.id)
            if market.number(extra and extra.population) > 0 then
                local distance = 0
                if ship.x and ship.y and data and data.x then
                    distance = (data.x - ship.x) ^ 2 + (data.y - ship.y) ^ 2
                end
                if bestDistance == nil or distance < bestDistance then
                    best, bestDistance = planet, distance
                end
            end
        end
    end
    return best
end

-- Where a disabled ship goes: {id, name}, or nil.
function towing.destination(player, ship)
    local id = tonumber(pilotData.get(player, "lastLanding"))
    local planet = id and planetOfId(id)
    if planet then return planet end
    return nearestInhabited(ship)
end

-- What the tow costs this pilot: credits taken, and whether the cargo goes too.
function towing.charge(credits, free)
    if free then return 0, false end
    local payable = math.max(0, credits - RESERVE_CREDITS)
    local paid = math.min(TOW_FEE, payable)
    return paid, paid < TOW_FEE
end

-- Remembers the planet the ship stands on, and whether it has flown since a tow; called every
-- planet tick.
function towing.noteLanding()
    local player = getPlayerData()
    local changed = false
    if getIsPlayerLanded() ~= 1 then
        if player.towedSince == "towed" then player.towedSince, changed = "flown", true end
    else
        local id = tostring(getPlayerLandedPlanetId())
        if player.towedSince == "flown" then player.towedSince, changed = nil, true end
        if player.lastLanding ~= id then player.lastLanding, changed = id, true end
    end
    if changed then setPlayerData(player) end
end

-- The whole story on standard output and the debug line; the short one on the hint strip, which
-- holds one line of about seventy characters.
local function tell(line, hint)
    print(line)
    debugDisplay(line)
    showHint(hint or line)
end

-- The engine's "playerDisabled": the tow.
function towing.disabled()
    local player = getPlayerData()
    local ship = getPlayerShip()
    local planet = towing.destination(player, ship)
    if not planet then
        tell("Your ship is disabled and no tow reaches this world - repair it by landing anywhere")
        return
    end
    local free = player.towedSince ~= nil
    local credits = market.credits(player)
    local paid, cargoTaken = towing.charge(credits, free)
    local lost = market.holdUsed(player)
    if cargoTaken then
        for key in pairs(player) do
            if string.sub(key, 1, 6) == "cargo_" or string.sub(key, 1, 5) == "paid_" then player[key] = nil end
        end
    end
    player.credits = string.format("%d", credits - paid)
    player.towedSince = "towed"
    player.lastLanding = tostring(planet.id)
    local ok, reason = setPlayerData(player)
    if not ok then print("Error, the tow could not be paid: " .. tostring(reason)) end

    local landed, why = landPlayerOn(planet.id)
    if not landed then
        tell("Your ship is disabled; the tow failed: " .. tostring(why))
        return
    end
    local full = market.number(ship.maxHitpoints)
    setPlayerHitpoints(math.max(1, math.floor(full * PATCH_SHARE)))

    local patched = math.floor(PATCH_SHARE * 100) .. "%"
    local line = "Disabled! Towed to " .. planet.name .. ", hull patched to " .. patched
    local hint = "Disabled and towed to " .. planet.name .. ": "
    if free then
        line = line .. " - towed again before you landed, no charge"
        hint = hint .. "no charge this time"
    else
        local price, short = {}, {}
        if paid > 0 then
            price[#price + 1] = "tow fee " .. paid .. " cr"
            short[#short + 1] = "fee " .. paid .. " cr"
        end
        if cargoTaken and lost > 0 then
            price[#price + 1] = "your cargo (" .. lost .. " units)"
            short[#short + 1] = "your cargo"
        end
        if #price == 0 then
            price[1] = "no fee: you have too few credits"
            short[1] = "no fee, you have too few credits"
        end
        line = line .. " - " .. table.concat(price, " and ")
        hint = hint .. table.concat(short, " and ")
    end
    tell(line .. ". Repair it in the planet window (e).", hint .. ", hull at " .. patched)
end

return towing
