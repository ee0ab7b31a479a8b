-- Plays Level 1 without a window: reads the shipped level files, runs the
-- shipped scripts against a stand-in for the game's side of the script
-- interface, and reports what happened. The stand-in follows the game's rules
-- for the parts the scripts meet: the frame order (script Update, player,
-- enemies, bullets, camera), the enemies' activity window, bullet culling,
-- hits and contact damage. The player is flown by a simple autopilot that
-- lines up under the nearest enemy and sidesteps shots.
--
--   lua5.1 tools/simulate_level.lua [weapon level] [seconds]    (from the repository root)
--
-- From C, set the global SimulationOptions = { level =, seconds =, quiet = }
-- before running this file; it returns the statistics table.

local options = SimulationOptions or {}
if arg then
    options.level = tonumber(arg[1]) or options.level
    options.seconds = tonumber(arg[2]) or options.seconds
    options.trace = arg[3] or options.trace   -- an enemy type name to follow
end
local WEAPON_LEVEL = options.level or 1
local SECONDS = options.seconds or 240
local DT = 1000 / 60
local quiet = options.quiet

math.randomseed(options.seed or 7)

local stats = {
    problems = {},
    types = {},                 -- per type name: placed, active, seen, killed, escaped
    playerShots = 0, playerHits = 0,
    enemyShots = 0, enemyHitsOnPlayer = 0, bulletDamage = 0, contactDamage = 0,
    explosions = 0, wrecks = 0, spawned = 0,
    lowestHealth = 100, maxVisible = 0, playerDowned = 0,
    bossSeenAt = nil, bossKilledAt = nil,
}

local function Problem(text)
    if #stats.problems < 50 then
        stats.problems[#stats.problems + 1] = text
    end
end

local function TypeStats(name)
    local t = stats.types[name]
    if not t then
        t = { placed = 0, active = 0, seen = 0, killed = 0, escaped = 0 }
        stats.types[name] = t
    end
    return t
end

-- Files ------------------------------------------------------------------

local function ReadLines(path)
    local f = io.open(path, "r")
    if not f then
        Problem("cannot open " .. path)
        return {}
    end
    local lines = {}
    for line in f:lines() do
        lines[#lines + 1] = (line:gsub("\r$", ""))
    end
    f:close()
    return lines
end

local function Exists(path)
    local f = io.open(path, "rb")
    if f then f:close() end
    return f ~= nil
end

local function FirstWord(line)
    return line and line:match("^%s*(%S+)") or nil
end

-- Reads records of `size` lines, skipping '#' lines before each record.
local function Records(lines, size)
    local records, i = {}, 1
    while i <= #lines do
        while i <= #lines and lines[i]:sub(1, 1) == "#" do i = i + 1 end
        if i > #lines then break end
        if i + size - 1 > #lines then
            Problem("a record ends early at line " .. i)
            break
        end
        local record = {}
        for k = 0, size - 1 do record[#record + 1] = lines[i + k] end
        records[#records + 1] = record
        i = i + size
    end
    return records
end

local levelLines = ReadLines("data/levels/Level1.txt")
local data = {}
for _, line in ipairs(levelLines) do
    if #data > 0 or line:sub(1, 1) ~= "#" then data[#data + 1] = line end
end
local levelWidth, levelLength = (data[1] or ""):match("^(%-?%d+)%s+(%-?%d+)")
levelWidth, levelLength = tonumber(levelWidth), tonumber(levelLength)
if not levelWidth then Problem("level size line does not read as two integers") levelWidth = 1000 end
local typesPath, enemiesPath, bulletsPath, heightPath =
    FirstWord(data[2]), FirstWord(data[3]), FirstWord(data[4]), FirstWord(data[5])
if not heightPath or not Exists(heightPath) then Problem("heightmap missing: " .. tostring(heightPath)) end
local follow = math.floor(2500 / levelWidth)

local bulletTypes = {}
for _, r in ipairs(Records(ReadLines(bulletsPath), 2)) do
    local size, radius = r[2]:match("^(%-?%d+)%s+(%-?%d+)")
    local texture = FirstWord(r[1])
    if not size then Problem("bullet type line '" .. r[2] .. "' is not two integers") end
    if not Exists("data/textures/" .. texture) then Problem("bullet texture missing: " .. texture) end
    bulletTypes[#bulletTypes + 1] = { texture = texture, size = tonumber(size), radius = tonumber(radius) or 0 }
end

-- Script interface stand-in ---------------------------------------------

local enemyTypes, enemyTypeByName = {}, {}
local enemies, playerBullets, enemyBullets = {}, {}, {}
local now = 0

local function CheckArgs(name, want, ...)
    local got = select("#", ...)
    if got ~= want then Problem(("Vantrel.%s called with %d arguments, not %d"):format(name, got, want)) end
    for i = 1, select("#", ...) do
        local v = select(i, ...)
        if not (i == 1 and name == "SpawnEnemy") and type(v) ~= "number" then
            Problem(("Vantrel.%s argument %d is a %s"):format(name, i, type(v)))
        elseif type(v) == "number" and v ~= v then
            Problem(("Vantrel.%s argument %d is not a number (NaN)"):format(name, i))
        end
    end
end

local function BulletOf(kind, x, y, vx, vy, strength)
    local index = kind >= 0 and math.floor(kind) or math.ceil(kind)
    local t = bulletTypes[index + 1]
    if not t then
        Problem("bullet type " .. tostring(kind) .. " is not in the bullet-type file")
        return nil
    end
    return { x = x, y = y, vx = vx, vy = vy, strength = strength, radius = t.radius }
end

local function NewEnemy(etype, x, y, s1, s2, delay)
    local e = { type = etype, x = x, y = y, s1 = s1, s2 = s2, s3 = 0, timer = -delay,
                health = etype.health, radius = math.floor(etype.size / 2) }
    enemies[#enemies + 1] = e
    return e
end

Vantrel = {
    ShootPlayerPlasma = function(...)
        CheckArgs("ShootPlayerPlasma", 6, ...)
        local b = BulletOf(...)
        if b then playerBullets[#playerBullets + 1] = b; stats.playerShots = stats.playerShots + 1 end
    end,
    ShootEnemyPlasma = function(...)
        CheckArgs("ShootEnemyPlasma", 6, ...)
        local b = BulletOf(...)
        if b then enemyBullets[#enemyBullets + 1] = b; stats.enemyShots = stats.enemyShots + 1 end
    end,
    Explode = function(...)
        CheckArgs("Explode", 4, ...)
        stats.explosions = stats.explosions + 1
    end,
    SpawnEnemy = function(...)
        CheckArgs("SpawnEnemy", 6, ...)
        local name, x, y, s1, s2, delay = ...
        local t = enemyTypeByName[tostring(name)]
        if not t then
            Problem("SpawnEnemy with unknown type " .. tostring(name))
            return
        end
        NewEnemy(t, x, y, s1, s2, delay)
        stats.spawned = stats.spawned + 1
        TypeStats(t.name).placed = TypeStats(t.name).placed + 1
    end,
}

local function Number(v)
    return tonumber(v) or 0
end

-- A protected call the way the game makes it: `count` results, missing ones
-- read as 0; an error is a problem (the game would carry on silently).
local function Call(name, count, ...)
    local f = _G[name]
    if type(f) ~= "function" then
        Problem("entry point " .. name .. " is not defined")
        local zeros = {}
        for i = 1, count do zeros[i] = 0 end
        return unpack(zeros, 1, count)
    end
    local results = { pcall(f, ...) }
    if not results[1] then
        Problem(name .. ": " .. tostring(results[2]))
        local zeros = {}
        for i = 1, count do zeros[i] = 0 end
        return unpack(zeros, 1, count)
    end
    local out = {}
    for i = 1, count do out[i] = results[i + 1] end
    return unpack(out, 1, count)
end

local function Handle(v)
    v = Number(v)
    return v >= 0 and math.floor(v + 0.5) or math.ceil(v - 0.5)
end

-- Start-up, in the game's order ---------------------------------------

local ok, message = pcall(dofile, "data/scripts/main.lua")
if not ok then Problem("main.lua: " .. tostring(message)) end
for _, name in ipairs({ "WeaponLoadScript", "EnemyLoadScript", "WeaponDoUpdate", "EnemyDoUpdate",
                        "EnemyOnHit", "EnemyOnDeath", "Update" }) do
    if type(_G[name]) ~= "function" then Problem("main.lua does not define " .. name) end
end

local function LoadScript(entry, path)
    if not Exists(path) then Problem("script missing: " .. path) end
    local okLoad, result = pcall(_G[entry], path)
    if not okLoad then
        Problem(entry .. "(" .. path .. "): " .. tostring(result))
        return 0
    end
    return Handle(result)
end

local weapons = {
    { handle = LoadScript("WeaponLoadScript", "data/scripts/weapons/vulcan-primary.lua"), s = { 0, 0, 0 } },
    { handle = LoadScript("WeaponLoadScript", "data/scripts/weapons/vulcan-secondary.lua"), s = { 0, 0, 0 } },
}

for _, r in ipairs(Records(ReadLines(typesPath), 6)) do
    local t = { name = FirstWord(r[1]), model = FirstWord(r[2]), texture = FirstWord(r[3]), script = FirstWord(r[4]) }
    if not Exists(t.model) then Problem("model missing: " .. t.model) end
    if not Exists("data/textures/" .. t.texture) then Problem("texture missing: " .. t.texture) end
    t.handle = LoadScript("EnemyLoadScript", t.script)
    t.size = tonumber(r[5]:match("^%s*(%-?%d+)")) or 0
    t.health = tonumber(r[6]:match("^%s*(%-?%d+)")) or 0
    if not enemyTypeByName[t.name] then enemyTypeByName[t.name] = t end
    enemyTypes[#enemyTypes + 1] = t
end

do
    local lines = ReadLines(enemiesPath)
    local i = 1
    while i <= #lines do
        while i <= #lines and lines[i]:sub(1, 1) == "#" do i = i + 1 end
        if i > #lines then break end
        local t = enemyTypeByName[FirstWord(lines[i]) or ""]
        if not t then
            Problem("timeline line " .. i .. " names no enemy type: " .. lines[i])
            i = i + 1
        else
            local x, y = (lines[i + 1] or ""):match("^(%-?%d+)%s+(%-?%d+)")
            local s1, s2, delay = (lines[i + 2] or ""):match("^(%-?%d+)%s+(%-?%d+)%s+(%-?%d+)")
            if not (x and s1) then Problem("timeline record at line " .. i .. " is malformed") end
            NewEnemy(t, Number(x), Number(y), Number(s1), Number(s2), Number(delay))
            TypeStats(t.name).placed = TypeStats(t.name).placed + 1
            i = i + 3
        end
    end
end

-- The player and its autopilot -------------------------------------------

local player = { x = 0, y = 200, vx = 0, vy = 0, health = 100, shield = 30, maxShield = 30, radius = 42 }
local view = { x = 0, y = player.y }

-- The run's functions: the model keeps a score and ignores the end of a run.
local score = 0
Vantrel.GetPlayer = function() return player.x, player.y, player.health, player.shield, 100, player.maxShield end
Vantrel.GetView = function() return view.x, view.y, 552.28, 414.21 end
Vantrel.AddScore = function(points) score = score + points end
Vantrel.GetScore = function() return score end
Vantrel.EndGame = function(message) return false end

local function DamagePlayer(amount)
    player.shield = player.shield - amount
    if player.shield < 0 then
        player.health = player.health + player.shield
        player.shield = 0
    end
    stats.lowestHealth = math.min(stats.lowestHealth, player.health)
    if player.health <= 0 then
        -- The game goes on with the health below zero; here the ship is
        -- counted as shot down and repaired, so the statistics stay readable.
        stats.playerDowned = stats.playerDowned + 1
        player.health = 100
    end
end

-- How close a bullet comes in the next `horizon` ms to a ship that holds
-- position `x` beside the player's current one, drifting with the view.
local function ClosestApproach(b, x, horizon)
    local rx, ry = b.x - x, b.y - player.y
    local vx, vy = b.vx / 1.5, b.vy / 1.5 - 0.2
    local speed2 = vx * vx + vy * vy
    local t = speed2 > 0 and -(rx * vx + ry * vy) / speed2 or 0
    t = math.max(0, math.min(horizon, t))
    return math.sqrt((rx + vx * t) ^ 2 + (ry + vy * t) ^ 2)
end

local function Autopilot()
    -- Line up under the lowest enemy in view; otherwise sweep slowly.
    local targetX, best = 250 * math.sin(now / 3000), nil
    for _, e in ipairs(enemies) do
        if e.timer > 0 and math.abs(e.y - view.y) < 400 and e.y > player.y + 60 then
            if not best or e.y < best.y then best = e end
        end
    end
    if best then targetX = best.x end
    -- Of a few places to either side, go to the safe one nearest the target,
    -- or, when none is safe, to the one that shots pass furthest from.
    local choice, choiceScore
    for offset = -150, 150, 30 do
        local x = player.x + offset
        local nearest = math.huge
        for _, b in ipairs(enemyBullets) do
            nearest = math.min(nearest, ClosestApproach(b, x, 600) - b.radius)
        end
        local safe = nearest > player.radius + 10
        local score = safe and (1e6 - math.abs(x - targetX) - 0.5 * math.abs(offset)) or nearest
        if not choiceScore or score > choiceScore then choice, choiceScore = x, score end
    end
    targetX = math.max(-700, math.min(700, choice))
    local targetY = view.y - 170
    -- Keys: left/A raises x, up/W raises y.
    return targetX > player.x + 8, targetX < player.x - 8, targetY > player.y + 10, targetY < player.y - 10
end

local function UpdatePlayer(dt)
    local left, right, up, down = Autopilot()
    if up then player.vy = player.vy + dt / 150 end
    if down then player.vy = player.vy - dt / 150 end
    if left then player.vx = player.vx + dt / 150 end
    if right then player.vx = player.vx - dt / 150 end
    player.vx = math.max(-1, math.min(1, player.vx))
    player.vy = math.max(-0.6, math.min(0.6, player.vy))
    player.x = player.x + player.vx * dt / 1.3
    player.y = player.y + player.vy * dt / 1.3
    player.vx = player.vx - player.vx * 0.08 * dt / 9
    player.vy = player.vy - player.vy * 0.08 * dt / 9
    player.y = player.y + dt / 5
    for _, w in ipairs(weapons) do
        w.s[1], w.s[2], w.s[3] = Call("WeaponDoUpdate", 3, w.handle, WEAPON_LEVEL, dt, w.s[1], w.s[2], w.s[3])
        w.s[1], w.s[2], w.s[3] = Number(w.s[1]), Number(w.s[2]), Number(w.s[3])
    end
    if player.shield < player.maxShield then
        player.shield = player.shield + player.maxShield * dt / 5000
    else
        player.shield = player.maxShield
    end
end

local function DamageEnemy(e, amount)
    local health, s1, s2, s3 = Call("EnemyOnHit", 4, e.type.handle, e.x, e.y, e.health, amount, e.s1, e.s2, e.s3, e.timer)
    e.health, e.s1, e.s2, e.s3 = Number(health), Number(s1), Number(s2), Number(s3)
end

local function UpdateEnemy(e, dt)
    e.timer = e.timer + dt
    if e.timer > 0 then
        local x, y, s1, s2, s3 = Call("EnemyDoUpdate", 5, e.type.handle, e.x, e.y, dt, e.s1, e.s2, e.s3, e.timer)
        e.x, e.y, e.s1, e.s2, e.s3 = Number(x), Number(y), Number(s1), Number(s2), Number(s3)
        if e.x ~= e.x or e.y ~= e.y then Problem(e.type.name .. " moved to NaN") e.x, e.y = 0, -1e9 end
    end
    if e.health <= 0 then
        if Call("EnemyOnDeath", 1, e.type.handle, e.x, e.y, e.s1, e.s2, e.s3, e.timer) then
            stats.wrecks = stats.wrecks + 1
        end
        TypeStats(e.type.name).killed = TypeStats(e.type.name).killed + 1
        if e.type.name == "Warden" then stats.bossKilledAt = now end
        return false
    end
    return true
end

local function UpdateEnemies(dt)
    local i = 1
    while i <= #enemies do
        local e = enemies[i]
        local removed = false
        if e.y > view.y - 2000 and e.y < view.y + 500 then
            if not e.wasActive then
                e.wasActive = true
                TypeStats(e.type.name).active = TypeStats(e.type.name).active + 1
            end
            local j = 1
            while j <= #playerBullets do
                local b = playerBullets[j]
                local d = math.sqrt((b.x - e.x) ^ 2 + (b.y - e.y) ^ 2)
                if e.radius + b.radius >= d then
                    DamageEnemy(e, b.strength)
                    stats.playerHits = stats.playerHits + 1
                    b.strength = math.max(0, b.strength - e.health)
                end
                j = j + 1
            end
            if not UpdateEnemy(e, dt) then
                table.remove(enemies, i)
                removed = true
            else
                local d = math.sqrt((e.x - player.x) ^ 2 + (e.y - player.y) ^ 2)
                if player.radius + e.radius >= d then
                    DamagePlayer(dt)
                    stats.contactDamage = stats.contactDamage + dt
                    DamageEnemy(e, dt)
                end
                if not e.wasSeen and math.abs(e.y - view.y) < 400 and math.abs(e.x - view.x) < 550 then
                    e.wasSeen = true
                    TypeStats(e.type.name).seen = TypeStats(e.type.name).seen + 1
                    if e.type.name == "Warden" and not stats.bossSeenAt then stats.bossSeenAt = now end
                end
            end
        elseif e.y < view.y - 2000 then
            TypeStats(e.type.name).escaped = TypeStats(e.type.name).escaped + 1
            table.remove(enemies, i)
            removed = true
        end
        if not removed then i = i + 1 end
    end
end

local function UpdateBullets(dt)
    local i = 1
    while i <= #playerBullets do
        local b = playerBullets[i]
        if not (b.y > view.y - 500 and b.y < view.y + 500) or b.strength <= 0 then
            table.remove(playerBullets, i)
        else
            b.x, b.y = b.x + b.vx * dt / 1.5, b.y + b.vy * dt / 1.5
            i = i + 1
        end
    end
    i = 1
    while i <= #enemyBullets do
        local b = enemyBullets[i]
        if not (b.y > view.y - 500 and b.y < view.y + 500) then
            table.remove(enemyBullets, i)
        else
            b.x, b.y = b.x + b.vx * dt / 1.5, b.y + b.vy * dt / 1.5
            if b.strength <= 0 then
                table.remove(enemyBullets, i)
            else
                local d = math.sqrt((b.x - player.x) ^ 2 + (b.y - player.y) ^ 2)
                if player.radius + b.radius >= d then
                    DamagePlayer(b.strength)
                    stats.enemyHitsOnPlayer = stats.enemyHitsOnPlayer + 1
                    stats.bulletDamage = stats.bulletDamage + b.strength
                    b.strength = math.max(0, b.strength - player.health)
                end
                i = i + 1
            end
        end
    end
end

-- The frames ---------------------------------------------------------------

local frames = math.floor(SECONDS * 1000 / DT)
for _ = 1, frames do
    Call("Update", 0, player.x, player.y, DT)
    UpdatePlayer(DT)
    UpdateEnemies(DT)
    UpdateBullets(DT)
    view.y = view.y + DT / 5
    view.x = player.x / follow
    now = now + DT
    local visible = 0
    for _, e in ipairs(enemies) do
        if math.abs(e.y - view.y) < 400 and math.abs(e.x - view.x) < 550 then visible = visible + 1 end
    end
    stats.maxVisible = math.max(stats.maxVisible, visible)
    if options.trace and math.floor(now / 1000) ~= math.floor((now - DT) / 1000) then
        for _, e in ipairs(enemies) do
            if e.type.name == options.trace and e.timer > 0 then
                print(("  %6.1f s  %s health %6.1f at (%6.0f, %6.0f), view (%6.0f, %6.0f), player (%6.0f, %6.0f)")
                      :format(now / 1000, e.type.name, e.health, e.x, e.y, view.x, view.y, player.x, player.y))
            end
        end
    end
end

stats.remaining = #enemies
stats.seconds = SECONDS
stats.weaponLevel = WEAPON_LEVEL
stats.finalHealth = player.health
stats.levelLength = levelLength

if not quiet then
    print(("Level 1, weapons at level %d, %d s at %.1f ms per frame"):format(WEAPON_LEVEL, SECONDS, DT))
    local names = {}
    for name in pairs(stats.types) do names[#names + 1] = name end
    table.sort(names)
    for _, name in ipairs(names) do
        local t = stats.types[name]
        print(("  %-7s placed %3d  active %3d  seen %3d  killed %3d  escaped %3d")
              :format(name, t.placed, t.active, t.seen, t.killed, t.escaped))
    end
    print(("  player shots %d, hits %d; enemy shots %d, hits on the player %d (%d damage); contact %d ms")
          :format(stats.playerShots, stats.playerHits, stats.enemyShots, stats.enemyHitsOnPlayer,
                  stats.bulletDamage, stats.contactDamage))
    print(("  explosions %d, wrecks %d, escorts spawned %d, most enemies on screen %d")
          :format(stats.explosions, stats.wrecks, stats.spawned, stats.maxVisible))
    print(("  player shot down %d times, lowest health %.0f"):format(stats.playerDowned, stats.lowestHealth))
    print(("  boss seen at %s s, killed at %s s"):format(
        stats.bossSeenAt and ("%.1f"):format(stats.bossSeenAt / 1000) or "-",
        stats.bossKilledAt and ("%.1f"):format(stats.bossKilledAt / 1000) or "-"))
    for _, p in ipairs(stats.problems) do print("  problem: " .. p) end
end

return stats
