-- Vantrel's main script. The game runs it once at start-up and then calls the
-- seven global entry points below. Each weapon and enemy type has its own
-- script file, which returns a table of functions; the load entry points run
-- that file and hand the game a handle (its index in `scripts`), and every
-- later call carries the handle back, so it is passed on to the right table.
--
-- Coordinates: a position (x, y) lies on the play plane. y runs forward, up
-- the screen; x runs towards the LEFT edge of the screen. The view scrolls
-- forward 0.2 units per millisecond and shows about 414 units ahead and behind
-- its centre and 552 to each side (Vantrel.GetView says exactly). Times are
-- in milliseconds.
--
-- The game offers these functions in the table `Vantrel`:
--   Vantrel.ShootPlayerPlasma(type, x, y, vx, vy, strength)
--   Vantrel.ShootEnemyPlasma(type, x, y, vx, vy, strength)
--   Vantrel.Explode(x, y, size, delay)
--   Vantrel.SpawnEnemy(name, x, y, s1, s2, delay)
--   Vantrel.PlaySound(name, volume, x)    a file of data/sounds/, volume 0 to 1
--   Vantrel.PlayMusic(name), Vantrel.StopMusic()
--   Vantrel.GetPlayer() -> x, y, health, shield, maxHealth, maxShield
--   Vantrel.GetView() -> x, y, halfWidth, halfHeight
--   Vantrel.AddScore(points), Vantrel.GetScore() -> score
--   Vantrel.EndGame(message) -> true when this call ended the run
-- A bullet moves (vx, vy) * dt / 1.5 per frame: a velocity of 1.5 is one unit
-- per millisecond.
--
-- The run: every enemy type's table may give `points`, added to the score
-- when one of them is destroyed. The run ends with "Ship destroyed" when the
-- hull is gone; a script ends it otherwise through Game.EndIn (the Warden:
-- "Level clear" when destroyed, "Level complete" when it gets away).

-- Shared state and helpers for the weapon and enemy scripts.
Game = {
    time = 0,              -- milliseconds since the first frame
    playerX = 0,           -- the player's position as Update last saw it
    playerY = 200,
    viewX = 0,             -- where the camera looks this frame (Vantrel.GetView)
    viewY = 200,
    scrollSpeed = 0.2,     -- units per millisecond
    -- The camera follows the player's x at level width / 2500 (1000 / 2500 in
    -- Level 1), rounded down to a whole divisor.
    followDivisor = 2,
    halfWidth = 552,       -- visible half-extents of the view around its centre
    halfHeight = 414,
    -- The run ends no later than this (ms), before Level 1's terrain does.
    lastMoment = 206000,
}

local pendingEnd, pendingAt
local lastHealth, lastShield

-- The sound each way of ending a run plays, once, as it ends.
local endSounds = {
    ["Ship destroyed"] = "ship-destroyed.wav",
    ["Level clear"] = "level-clear.wav",
    ["Level complete"] = "level-clear.wav",
}

local function EndWith(message)
    if Vantrel.EndGame(message) and endSounds[message] then
        Vantrel.StopMusic()
        Vantrel.PlaySound(endSounds[message], 1.0)
    end
end

-- Ends the run with `message` after `delay` milliseconds of play, unless it
-- has ended by then; the first request stands.
function Game.EndIn(message, delay)
    if pendingEnd then return end
    pendingEnd, pendingAt = message, Game.time + (delay or 0)
end

-- True when (x, y) is inside the visible view, shrunk by `margin` units.
function Game.OnScreen(x, y, margin)
    margin = margin or 0
    return math.abs(x - Game.viewX) < Game.halfWidth - margin
       and math.abs(y - Game.viewY) < Game.halfHeight - margin
end

-- Fires an enemy bullet from (x, y) in direction (dx, dy) (need not be unit
-- length) at `speed` units per millisecond relative to the scrolling view,
-- so it flies across the screen at that speed whatever the scroll.
function Game.EnemyShoot(bulletType, x, y, dx, dy, speed, strength)
    local length = math.sqrt(dx * dx + dy * dy)
    if length == 0 then dx, dy, length = 0, -1, 1 end
    local vx = dx / length * speed
    local vy = dy / length * speed + Game.scrollSpeed
    Vantrel.ShootEnemyPlasma(bulletType, x, y, vx * 1.5, vy * 1.5, strength)
    Game.Sound("enemy-shot.wav", 0.25, x, 110)
end

-- Fires an enemy bullet at the player, turned by `angle` radians.
function Game.ShootAtPlayer(bulletType, x, y, speed, strength, angle)
    local a = math.atan2(Game.playerY - y, Game.playerX - x) + (angle or 0)
    Game.EnemyShoot(bulletType, x, y, math.cos(a), math.sin(a), speed, strength)
end

-- Fires a player bullet the same way: screen-relative speed and direction.
function Game.PlayerShoot(bulletType, x, y, dx, dy, speed, strength)
    local length = math.sqrt(dx * dx + dy * dy)
    local vx = dx / length * speed
    local vy = dy / length * speed + Game.scrollSpeed
    Vantrel.ShootPlayerPlasma(bulletType, x, y, vx * 1.5, vy * 1.5, strength)
    if bulletType == 0 then
        Game.Sound("vulcan-primary.wav", 0.18, x, 90)
    else
        Game.Sound("vulcan-secondary.wav", 0.2, x, 140)
    end
end

-- Moves a point by a screen-relative velocity for dt milliseconds.
function Game.Move(x, y, vx, vy, dt)
    return x + vx * dt, y + (vy + Game.scrollSpeed) * dt
end

-- True in the one frame in which `timer` crosses a multiple of `period`
-- (shifted by `offset`): a beat that needs no state of its own.
function Game.Every(timer, dt, period, offset)
    local t = timer - (offset or 0)
    if t <= 0 then return false end
    return math.floor(t / period) ~= math.floor((t - dt) / period)
end

-- A small flash where a shot struck; `spread` is about the target's radius.
function Game.HitFlash(x, y, damage, spread)
    spread = spread or 20
    local size = math.min(6 + damage * 1.5, 18)
    Vantrel.Explode(x + (math.random() - 0.5) * spread, y + (math.random() - 0.5) * spread, size, 0)
end

-- Plays an effect panned by x, at most once per `gap` milliseconds per name,
-- so that a level-10 volley or a chain of kills does not drown everything.
local lastPlayed = {}
function Game.Sound(name, volume, x, gap)
    local last = lastPlayed[name]
    if last and Game.time - last < (gap or 0) then return end
    lastPlayed[name] = Game.time
    Vantrel.PlaySound(name, volume, x)
end

function Game.Clamp(v, lo, hi)
    if v < lo then return lo end
    if v > hi then return hi end
    return v
end

local scripts = {}

-- Runs a script file that returns a table of functions; its index is the
-- handle. An error here is reported by the game as a script error of the
-- load entry point, the load returns the handle 0, and the enemy-type loader
-- names the type's file and line; the game goes on without that script.
local function LoadScript(path)
    local chunk, message = loadfile(path)
    if not chunk then error(message, 0) end
    local module = chunk()
    if type(module) ~= "table" then
        error(path .. ": the script must return a table of functions", 0)
    end
    scripts[#scripts + 1] = module
    return #scripts
end

function WeaponLoadScript(path)
    return LoadScript(path)
end

function EnemyLoadScript(path)
    return LoadScript(path)
end

-- level 1 to 10; returns the weapon's three state numbers.
function WeaponDoUpdate(handle, level, dt, s1, s2, s3)
    local weapon = scripts[handle]
    if not weapon or not weapon.Update then return s1, s2, s3 end
    return weapon.Update(level, dt, s1, s2, s3)
end

-- Returns the enemy's new position and its three state numbers.
function EnemyDoUpdate(handle, x, y, dt, s1, s2, s3, timer)
    local enemy = scripts[handle]
    if not enemy or not enemy.Update then return x, y, s1, s2, s3 end
    return enemy.Update(x, y, dt, s1, s2, s3, timer)
end

-- Called for each bullet that hits the enemy and for each frame the enemy
-- touches the player (then the damage is the frame time). Returns the new
-- health and the three state numbers; the game subtracts nothing itself.
function EnemyOnHit(handle, x, y, health, damage, s1, s2, s3, timer)
    local enemy = scripts[handle]
    if enemy and enemy.OnHit then
        return enemy.OnHit(x, y, health, damage, s1, s2, s3, timer)
    end
    Game.HitFlash(x, y, damage)
    return health - damage, s1, s2, s3
end

-- Called once, when the enemy's health has dropped to 0 or below. Returning
-- true leaves a tumbling wreck with its own explosion.
function EnemyOnDeath(handle, x, y, s1, s2, s3, timer)
    Game.Sound("explosion-small.wav", 0.7, x, 70)
    local enemy = scripts[handle]
    if enemy and enemy.points then
        Vantrel.AddScore(enemy.points)
    end
    if enemy and enemy.OnDeath then
        return enemy.OnDeath(x, y, s1, s2, s3, timer)
    end
    return true
end

-- Once per frame, before the weapons and enemies: keep what they need to know.
function Update(playerX, playerY, dt)
    if Game.time == 0 then Vantrel.PlayMusic("music-level1.ogg") end
    Game.playerX = playerX
    Game.playerY = playerY
    -- The camera scrolls after this frame's updates, so this frame's enemies
    -- see the view where the previous frame left it.
    Game.viewX, Game.viewY, Game.halfWidth, Game.halfHeight = Vantrel.GetView()
    Game.time = Game.time + dt

    local _, _, health, shield = Vantrel.GetPlayer()
    if health then
        -- A drop since the last frame is a hit: the hull's sound wins over
        -- the shield's. Contact drains every frame, hence the gaps.
        if lastHealth and health < lastHealth then
            Game.Sound("hull-hit.wav", 0.8, playerX, 250)
        elseif lastShield and shield < lastShield then
            Game.Sound("shield-hit.wav", 0.6, playerX, 200)
        end
        lastHealth, lastShield = health, shield
    end
    if health and health <= 0 then
        EndWith("Ship destroyed")
    elseif pendingEnd and Game.time >= pendingAt then
        EndWith(pendingEnd)
    elseif Game.time >= Game.lastMoment then
        EndWith("Level complete")
    end
end
