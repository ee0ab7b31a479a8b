-- Warden, the boss of Level 1. It comes down to the top of the screen and
-- keeps pace there, swaying across the middle of the level, through three
-- phases that
-- follow its health:
--   1 (full to two thirds): aimed bolts in threes, orbs from the wing guns
--   2 (to one third): a turning two-armed spiral of orbs, bolts, and two darts called in
--     every few seconds
--   3 (to the end): wide fans, quick bolts from the wing batteries, and
--     weavers called in from the top edge
-- It dies in a long chain of explosions, and the level is clear a few
-- seconds later. If it is still flying after FIGHT milliseconds it climbs
-- away over the top edge and the level is complete without the kill.
--   state 1: phase (0 before the first hit counts as 1)
--   state 2: milliseconds until the next escort call
--   state 3: 1 once its arrival has sounded, 2 once it has got away
local Warden = {}
Warden.points = 10000        -- added to the score when one is destroyed

local MAX_HEALTH = 520       -- must match its health in the enemy-type file
local HOLD = 250             -- distance ahead of the view's centre it holds
local ORB, BOLT = 2, 3
local FIGHT = 36000          -- ms it fights before it gets away
local CALM = 5000            -- no escorts are called this long before that

local function PhaseFor(health)
    if health > MAX_HEALTH * 2 / 3 then return 1 end
    if health > MAX_HEALTH / 3 then return 2 end
    return 3
end

function Warden.Update(x, y, dt, phase, escort, s3, timer)
    if phase < 1 then phase = 1 end
    if timer > FIGHT then
        local climb = math.min((timer - FIGHT) * 0.0003, 0.4)
        x, y = Game.Move(x, y, 0, climb, dt)
        if s3 < 2 and y - Game.viewY > Game.halfHeight + 40 then
            s3 = 2
            -- Whatever it called in has passed by then.
            Game.EndIn("Level complete", 4000)
        end
        return x, y, phase, escort, s3
    end
    local ahead = y - Game.viewY
    local vy = Game.Clamp((HOLD - ahead) * 0.004, -0.3, 0.2)
    local pace = (phase == 3) and 1700 or 2300
    local goal = 220 * math.sin(timer / pace)
    local vx = Game.Clamp((goal - x) * 0.003, -0.15, 0.15)
    x, y = Game.Move(x, y, vx, vy, dt)
    if s3 == 0 then
        Game.Sound("warden-arrival.wav", 1.0, x, 0)
        s3 = 1
    end

    if timer < 2000 then
        return x, y, phase, escort, s3      -- still arriving
    end
    local nose = y - 170
    if phase == 1 then
        if Game.Every(timer, dt, 1000) then
            for i = -1, 1 do
                Game.ShootAtPlayer(BOLT, x, nose, 0.34, 8, i * math.rad(18))
            end
        end
        if Game.Every(timer, dt, 700, 350) then
            Game.EnemyShoot(ORB, x + 104, y - 20, 0, -1, 0.3, 5)
            Game.EnemyShoot(ORB, x - 104, y - 20, 0, -1, 0.3, 5)
        end
    elseif phase == 2 then
        if Game.Every(timer, dt, 200) then
            local a = timer * 0.0025
            for arm = 0, 1 do
                local b = a + arm * math.pi
                Game.EnemyShoot(ORB, x, y, math.cos(b), math.sin(b), 0.22, 5)
            end
        end
        if Game.Every(timer, dt, 1400) then
            Game.ShootAtPlayer(BOLT, x, nose, 0.36, 8)
        end
    else
        if Game.Every(timer, dt, 1300) then
            for i = -2, 2 do
                local a = -math.pi / 2 + i * math.rad(28)
                Game.EnemyShoot(ORB, x, nose, math.cos(a), math.sin(a), 0.26, 5)
            end
        end
        if Game.Every(timer, dt, 700, 350) then
            local side = (math.floor(timer / 700) % 2 == 0) and 104 or -104
            Game.ShootAtPlayer(BOLT, x + side, y - 40, 0.4, 8)
        end
    end

    if phase >= 2 and timer < FIGHT - CALM then
        escort = escort - dt
        if escort <= 0 then
            if phase == 2 then
                Vantrel.SpawnEnemy("Dart", x + 120, y - 60, 450, 0.8, 0)
                Vantrel.SpawnEnemy("Dart", x - 120, y - 60, 450, -0.8, 0)
                escort = 6500
            else
                -- Weavers come in over the top edge, beside the Warden.
                local edge = Game.viewY + Game.halfHeight + 60
                Vantrel.SpawnEnemy("Weaver", x + 200, edge, 120, -1, 0)
                Vantrel.SpawnEnemy("Weaver", x - 200, edge, 120, 1, 0)
                Vantrel.SpawnEnemy("Weaver", x, edge + 70, 180, 1, 0)
                escort = 7000
            end
        end
    end
    return x, y, phase, escort, s3
end

function Warden.OnHit(x, y, health, damage, phase, escort, s3, timer)
    Game.HitFlash(x, y, damage, 150)
    health = health - damage
    local newPhase = PhaseFor(health)
    if newPhase > math.max(phase, 1) then
        -- A new phase: a burst of fire, and the first escorts come at once.
        Vantrel.Explode(x + 60, y, 40, 0)
        Vantrel.Explode(x - 60, y, 40, 120)
        Game.Sound("warden-phase.wav", 1.0, x, 0)
        phase, escort = newPhase, 0
    end
    return health, phase, escort, s3
end

function Warden.OnDeath(x, y, s1, s2, s3, timer)
    for i = 0, 13 do
        Vantrel.Explode(x + (math.random() - 0.5) * 260, y + (math.random() - 0.5) * 300,
                        25 + math.random() * 30, i * 120)
    end
    Vantrel.Explode(x, y, 90, 1800)
    Game.Sound("explosion-big.wav", 1.0, x, 0)
    Game.EndIn("Level clear", 3500)
    return true
end

return Warden
